#pragma once

#include <QString>

// The secure-transfer client that carries consent evidence to the bank's
// server. It is an outside library, loaded by name around each upload.
namespace platform {

class SecureUploader
{
public:
    virtual ~SecureUploader() = default;
    // Uploads one evidence transfer file; the answer is the client's result
    // code ("0000" for success) or the local code of the step that failed:
    // "1" library not loaded, "2" to "7" the setup calls.
    virtual QString Upload(const QString& programDir, const QString& sendId,
                           const QString& filePath) = 0;
};

// The real binding: loads `libraryPath` for each upload and unloads it after.
class SecurelinkLibrary : public SecureUploader
{
public:
    explicit SecurelinkLibrary(QString libraryPath) : m_path(std::move(libraryPath)) {}
    QString Upload(const QString& programDir, const QString& sendId,
                   const QString& filePath) override;
    const QString& path() const { return m_path; }

private:
    QString m_path;
};

// The library's file name on this platform.
inline constexpr const char* kSecurelinkFileName = "libSecurelink.so";

} // namespace platform
