#pragma once
// The maker's home page, opened from the main window's logo and from the About box.

#include <QString>

namespace kadrel {

inline const QString kHomePage = QStringLiteral("https://kadrel.example.org/");

}  // namespace kadrel
