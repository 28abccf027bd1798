// The secure-transfer client's stand-in: a plain C library with the
// client's calls. An upload copies the evidence transfer file into
// Mailbox/Evidence/ under the program directory and answers "0000".
//
// For trying out failures: SECURELINK_FAIL_STEP=N (2 to 7) makes that step
// return 0; SECURELINK_RESCODE=XXXX makes the upload answer that code
// without copying anything; SECURELINK_REFUSE_FILE=TEXT refuses (answers
// "9004", copies nothing) only the uploads whose file name contains TEXT.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct Upload
{
    fs::path programDir;
    std::string sendId;
    std::map<std::string, std::string> settings;
    fs::path file;
    std::string resCode = "9001"; // nothing transmitted yet
};

std::mutex g_mutex;
std::map<int, Upload> g_uploads;
int g_nextHandle = 1;

bool failsAt(int step)
{
    const char* v = std::getenv("SECURELINK_FAIL_STEP");
    return v && std::atoi(v) == step;
}

Upload* find(int handle)
{
    auto it = g_uploads.find(handle);
    return it == g_uploads.end() ? nullptr : &it->second;
}

// The transfer ID must have a key line in conf/org.conf, as the real
// client refuses an ID it holds no key for.
bool hasKeyFor(const fs::path& dir, const std::string& sendId)
{
    std::ifstream in(dir / "conf" / "org.conf");
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto eq = line.find('=');
        if (eq != std::string::npos && line.substr(0, eq) == sendId && eq + 1 < line.size())
            return true;
    }
    return false;
}

fs::path freeName(const fs::path& dir, const std::string& name)
{
    fs::path target = dir / name;
    for (int i = 1; fs::exists(target); ++i)
        target = dir / (name + "." + std::to_string(i));
    return target;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) int Cms_Init(const char* programDir, const char* /*mode*/)
{
    std::lock_guard lock(g_mutex);
    const int handle = g_nextHandle++;
    g_uploads[handle].programDir = programDir ? fs::path(programDir) : fs::path(".");
    return handle;
}

__attribute__((visibility("default"))) int Cms_Init_TX(int handle, const char* sendId)
{
    std::lock_guard lock(g_mutex);
    Upload* u = find(handle);
    if (!u || !sendId || !*sendId || failsAt(2) || !hasKeyFor(u->programDir, sendId))
        return 0;
    u->sendId = sendId;
    return 1;
}

__attribute__((visibility("default"))) int Cms_Set(int handle, const char* name, const char* value)
{
    std::lock_guard lock(g_mutex);
    Upload* u = find(handle);
    if (!u || !name || !value)
        return 0;
    const std::string key = name;
    const int step = key == "KVL_TXNAME"      ? 3
                     : key == "KVL_METHOD"    ? 4
                     : key == "KVL_FILE_TYPE" ? 5
                                              : 6;
    if (failsAt(step))
        return 0;
    u->settings[key] = value;
    return 1;
}

__attribute__((visibility("default"))) int Cms_SetFile_Encrypt(int handle, const char* name,
                                                               const char* path, int /*encrypt*/)
{
    std::lock_guard lock(g_mutex);
    Upload* u = find(handle);
    std::error_code ec;
    if (!u || !name || !path || failsAt(7) || !fs::is_regular_file(path, ec))
        return 0;
    u->file = path;
    return 1;
}

__attribute__((visibility("default"))) int Cms_TX(int handle)
{
    std::lock_guard lock(g_mutex);
    Upload* u = find(handle);
    if (!u)
        return 0;
    if (const char* forced = std::getenv("SECURELINK_RESCODE"); forced && *forced) {
        u->resCode = forced;
        return 0;
    }
    const std::string name =
        u->settings.count("KVL_FILE") ? u->settings["KVL_FILE"] : u->file.filename().string();
    if (const char* refused = std::getenv("SECURELINK_REFUSE_FILE");
        refused && *refused && name.find(refused) != std::string::npos) {
        u->resCode = "9004";
        return 0;
    }
    if (u->settings["KVL_METHOD"] != "UPLOAD" || u->file.empty()) {
        u->resCode = "9002";
        return 0;
    }
    std::error_code ec;
    const fs::path box = u->programDir / "Mailbox" / "Evidence";
    fs::create_directories(box, ec);
    const fs::path target = freeName(box, name);
    const fs::path partial = target.string() + ".part";
    if (!fs::copy_file(u->file, partial, fs::copy_options::overwrite_existing, ec)) {
        u->resCode = "9003";
        return 0;
    }
    fs::rename(partial, target, ec);
    u->resCode = ec ? "9003" : "0000";
    return ec ? 0 : 1;
}

// The text stays valid until Cms_Final.
__attribute__((visibility("default"))) const char* Cms_ResCode(int handle)
{
    std::lock_guard lock(g_mutex);
    Upload* u = find(handle);
    return u ? u->resCode.c_str() : "9000";
}

__attribute__((visibility("default"))) void Cms_Final(int handle)
{
    std::lock_guard lock(g_mutex);
    g_uploads.erase(handle);
}

} // extern "C"
