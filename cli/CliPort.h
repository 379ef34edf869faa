#pragma once

#include <QString>

class CSMSException;

// What the commands that open a port print when it fails.
namespace CliPort {

// The advice for a port that could not be used (PortAdvice), indented under the error, on stderr; nothing
// when there is none.
void PrintAdvice(const QString& advice);
// The same for a modem-layer failure on the port.
void PrintAdvice(const QString& portName, const CSMSException& exception);

} // namespace CliPort
