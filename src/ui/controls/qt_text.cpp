#include "ui/controls/qt_text.h"

#include "platform/text.h"

QString ToQt(const std::string& cp1252) {
    return QString::fromStdString(platform::Cp1252ToUtf8(cp1252));
}

std::string FromQt(const QString& text) { return platform::Utf8ToCp1252(text.toStdString()); }
