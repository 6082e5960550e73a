#pragma once

#include <QString>
#include <exception>
#include <string>

// The run-time error numbers that handlers react to.
namespace ErrorNumber {
constexpr int OutOfMemory = 7;
constexpr int FileNotFound = 53;
constexpr int InputPastEndOfFile = 62;
constexpr int PathFileAccess = 75;
constexpr int InvalidPicture = 481;
}

// An error as the standard report shows it: number, description and the
// component that raised it. Errors the program raises itself name "Pavisto".
class AppError : public std::exception {
public:
    AppError() = default;
    AppError(int number, QString description, QString source = QStringLiteral("Pavisto"));

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const QString& source() const { return m_source; }
    // False for the "no current error" value, which reports show nothing for.
    bool isError() const { return m_number != 0 || !m_description.isEmpty(); }
    const char* what() const noexcept override { return m_what.c_str(); }

    // The error being handled in a catch block, whatever was thrown.
    static AppError current();

private:
    int m_number = 0;
    QString m_description;
    QString m_source;
    std::string m_what;
};
