// Whole runs of the sending engine over simulated modems.
//
//   bench_send_engine many [modems=32] [messages=3200] [latency-ms=500] [timing=fast]
//       One run over all modems; prints its rate against modems x one modem's rate (measured first).
//   bench_send_engine bulk [rows=100000] [modems=4]
//       A run of many rows with no latency, against the same submissions made directly through the ports
//       (the modems' own time); prints the engine's time per row beyond that, and the peak resident memory.

#include "BenchDirect.h"
#include "BenchMeasure.h"
#include "EngineBench.h"
#include "sending/SendRun.h"
#include "sim/SimModem.h"
#include "sms/SerialPortTransport.h"
#include "sms/SmsRequest.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <thread>

namespace {

// The same submissions made directly, one thread per modem: what the modems cost without the engine.
double DirectRun(Modems& modems, int rows, const ModemTiming& timing) {
    return DirectSubmissions(modems.sims, rows, timing);
}

int Many(int modemCount, int messages, int latency, const QString& timingName) {
    const ModemTiming timing = *ModemTiming::ByName(timingName);
    const QString profile = QStringLiteral("slow:%1").arg(latency);
    // One modem's own rate, through the engine.
    const int single = std::max(4, messages / modemCount / 4);
    Modems one(1, profile);
    int sentOne = 0;
    const double t1 = EngineRun(one, single, timing, &sentOne);
    const double rateOne = sentOne / t1;
    Modems many(modemCount, profile);
    int sent = 0;
    const double t = EngineRun(many, messages, timing, &sent);
    const double rate = sent / t;
    std::printf("timing %s, latency %d ms: one modem %.3f msg/s (%d in %.1f s); %d modems %.2f msg/s (%d in %.1f s); "
                "%.1f%% of %d x one modem\n",
                qPrintable(timingName), latency, rateOne, sentOne, t1, modemCount, rate, sent, t,
                100.0 * rate / (modemCount * rateOne), modemCount);
    return sent == messages ? 0 : 1;
}

int Bulk(int rows, int modemCount) {
    const ModemTiming timing = ModemTiming::Fast();
    Modems direct(modemCount, QStringLiteral("default"));
    const double tDirect = DirectRun(direct, rows, timing);
    const long rssAfterDirect = PeakRssKiB() / 1024;
    Modems engine(modemCount, QStringLiteral("default"));
    int sent = 0;
    const double tEngine = EngineRun(engine, rows, timing, &sent);
    std::printf("%d rows over %d modems, no latency: direct submissions %.2f s, engine run %.2f s (%d sent); engine "
                "time beyond the modems' own %.4f ms per row; peak resident %ld MB (after direct run %ld MB)\n",
                rows, modemCount, tDirect, tEngine, sent, (tEngine - tDirect) * 1000.0 / rows, PeakRssKiB() / 1024,
                rssAfterDirect);
    return sent == rows ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString mode = args.value(1, QStringLiteral("many"));
    if (mode == QLatin1String("bulk"))
        return Bulk(args.value(2, QStringLiteral("100000")).toInt(), args.value(3, QStringLiteral("4")).toInt());
    return Many(args.value(2, QStringLiteral("32")).toInt(), args.value(3, QStringLiteral("3200")).toInt(),
                args.value(4, QStringLiteral("500")).toInt(), args.value(5, QStringLiteral("fast")));
}
