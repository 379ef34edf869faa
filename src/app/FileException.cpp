#include "app/FileException.h"

FileException::FileException(FileError error)
    : std::runtime_error(QString(error.path + QStringLiteral(": ") + error.platformMessage).toStdString()),
      m_error(std::move(error)) {}
