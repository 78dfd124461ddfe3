#pragma once
// Texts at the Qt boundary: the logic's texts are Windows-1252 bytes, Qt's
// are Unicode.
#include <QString>
#include <string>

QString ToQt(const std::string& cp1252);
std::string FromQt(const QString& text);
