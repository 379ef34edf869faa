#include "CliPort.h"

#include "CliCommand.h"
#include "CliHelp.h"

#include "devices/PortAdvice.h"

namespace CliPort {

void PrintAdvice(const QString& advice) {
    if (advice.isEmpty())
        return;
    // Under the error: sentences wrapped and indented, the commands to type indented further, as they are.
    QStringList lines = advice.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.startsWith(QLatin1Char(' ')) ? QStringLiteral("  ") + line
                                                 : QStringLiteral("  ") + CliHelp::Wrap(line, 2);
    CliErr(lines.join(QLatin1Char('\n')));
}

void PrintAdvice(const QString& portName, const CSMSException& exception) {
    PrintAdvice(PortAdvice::ForException(portName, exception));
}

} // namespace CliPort
