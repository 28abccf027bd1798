#pragma once

#include <QString>

namespace shell {

// The title resource: caption of the running main window and of every
// message box once the main window exists.
inline const QString kAppTitle = QStringLiteral("단위Tervo Veltrin 서비스[지역Tervo]");
// The title while the program is starting.
inline const QString kStartupTitle = QStringLiteral("단위Tervo Veltrin V4.0.2.5");
// Splash caption and about-box label.
inline const QString kServiceName = QStringLiteral("단위Tervo Veltrin 서비스");
inline const QString kProgramVersion = QStringLiteral("4.0.2.5");

// The title message boxes are captioned with.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

} // namespace shell
