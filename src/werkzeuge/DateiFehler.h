#pragma once
// A file a tool reads or writes that cannot be used: missing, unreadable, not
// writable, or not in the form the tool expects. The text is German and names
// the file.
#include <QString>
#include <stdexcept>

class DateiFehler : public std::runtime_error {
public:
    explicit DateiFehler(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString Text() const { return QString::fromStdString(what()); }
};
