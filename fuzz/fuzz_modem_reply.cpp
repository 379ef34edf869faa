// Device replies are untrusted input: every reader of a reply must return, never crash or hang.

#include "common/AnsiCodec.h"
#include "modem/CIrdaPort.h"
#include "modem/ModemReply.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = AnsiCodec::Decode(bytes);
    const QString error = ModemReply::ParseError(text);
    (void)ModemReply::ShortenError(error);
    (void)ModemReply::ShortenError(text);
    (void)ModemReply::ParseSmsModeQuery(text);
    qsizetype lineStart = -1;
    if (ModemReply::FindFinalResult(bytes, &lineStart) != ModemReply::FinalResult::None) {
        if (lineStart < 0 || lineStart >= bytes.size())
            __builtin_trap();
    }
    (void)ModemReply::HasMessageReference(bytes);
    (void)ModemReply::EchoLength(bytes, bytes.left(bytes.size() / 2));
    (void)CIrdaPort::ParseError(text);
    if (AnsiCodec::Encode(text) != bytes)
        __builtin_trap(); // Windows-1252 decoding is lossless
    return 0;
}
