#include "shell/AppError.h"

#include <new>

AppError::AppError(int number, QString description, QString source)
    : m_number(number), m_description(std::move(description)), m_source(std::move(source)),
      m_what(m_description.toStdString())
{
}

AppError AppError::current()
{
    try {
        throw;
    } catch (const AppError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return AppError(ErrorNumber::OutOfMemory, QStringLiteral("Out of memory"));
    } catch (const std::exception& e) {
        return AppError(5, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return AppError(5, QStringLiteral("Unknown error"));
    }
}
