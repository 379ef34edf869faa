#include "sms/Gsm0338.h"

namespace Gsm0338::detail {
namespace {

struct WideGlyph {
    char16_t glyph;
    Mapping mapping;
};

// Number of glyphs of both tables above U+00FF: the ten Greek capitals and the euro sign.
constexpr std::size_t kWideCount = 11;

constexpr std::array<WideGlyph, kWideCount> BuildWideGlyphs() {
    std::array<WideGlyph, kWideCount> out{};
    std::size_t n = 0;
    for (std::size_t code = 0; code < kDefaultAlphabet.size(); ++code) {
        if (kDefaultAlphabet[code] >= 0x100 && kDefaultAlphabet[code] != kNoGlyph)
            out[n++] = {kDefaultAlphabet[code], {Mapping::Default, static_cast<std::uint8_t>(code)}};
    }
    for (const ExtensionEntry& e : kExtensionTable) {
        if (e.glyph >= 0x100)
            out[n++] = {e.glyph, {Mapping::Extension, e.code}};
    }
    return out;
}
constexpr std::array<WideGlyph, kWideCount> kWideGlyphs = BuildWideGlyphs();
static_assert(kWideGlyphs[kWideCount - 1].glyph == u'€', "every glyph above U+00FF is listed");

} // namespace

Mapping MapAboveLatin1(char16_t unit) {
    for (const WideGlyph& w : kWideGlyphs) {
        if (w.glyph == unit)
            return w.mapping;
    }
    return {};
}

} // namespace Gsm0338::detail
