#include "platform/securelink.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace platform {
namespace {

using InitFn = int (*)(const char*, const char*);
using InitTxFn = int (*)(int, const char*);
using SetFn = int (*)(int, const char*, const char*);
using SetFileFn = int (*)(int, const char*, const char*, int);
using HandleFn = int (*)(int);
using ResCodeFn = const char* (*)(int);
using FinalFn = void (*)(int);

} // namespace

QString SecurelinkLibrary::Upload(const QString& programDir, const QString& sendId,
                                  const QString& filePath)
{
    QLibrary lib(m_path);
    if (!lib.load())
        return QStringLiteral("1");
    const auto init = reinterpret_cast<InitFn>(lib.resolve("Cms_Init"));
    const auto initTx = reinterpret_cast<InitTxFn>(lib.resolve("Cms_Init_TX"));
    const auto set = reinterpret_cast<SetFn>(lib.resolve("Cms_Set"));
    const auto setFile = reinterpret_cast<SetFileFn>(lib.resolve("Cms_SetFile_Encrypt"));
    const auto tx = reinterpret_cast<HandleFn>(lib.resolve("Cms_TX"));
    const auto resCode = reinterpret_cast<ResCodeFn>(lib.resolve("Cms_ResCode"));
    const auto final = reinterpret_cast<FinalFn>(lib.resolve("Cms_Final"));
    if (!init || !initTx || !set || !setFile || !tx || !resCode || !final) {
        lib.unload();
        return QStringLiteral("1");
    }
    const QByteArray dir = QDir::toNativeSeparators(programDir).toLocal8Bit();
    const QByteArray id = sendId.toLocal8Bit();
    const QByteArray name = QFileInfo(filePath).fileName().toLocal8Bit();
    const QByteArray path = QDir::toNativeSeparators(filePath).toLocal8Bit();

    const int handle = init(dir.constData(), "test");
    QString code;
    if (initTx(handle, id.constData()) <= 0)
        code = "2";
    else if (set(handle, "KVL_TXNAME", "FILE") <= 0)
        code = "3";
    else if (set(handle, "KVL_METHOD", "UPLOAD") <= 0)
        code = "4";
    else if (set(handle, "KVL_FILE_TYPE", "QZ110") <= 0)
        code = "5";
    else if (set(handle, "KVL_FILE", name.constData()) <= 0)
        code = "6";
    else if (setFile(handle, "KVL_FILE_DATA", path.constData(), 1) <= 0)
        code = "7";
    if (code.isEmpty()) {
        tx(handle);
        const char* answer = resCode(handle);
        code = answer ? QString::fromLocal8Bit(answer) : QString();
        final(handle);
    }
    lib.unload();
    return code;
}

} // namespace platform
