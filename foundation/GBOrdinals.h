#pragma once
// Ordinals of a double-byte character (lead byte, trail byte): its entry in the tables of the GB/BIG5
// mapping file Language, -1 outside every area. The one definition, which the module's conversion
// (GB2BIG5), the generator of the file (data/tools/make_language) and the file's tests read; it depends
// on nothing.
//   GB: the GB2312 rows A1..A9 and B0..F7 (trail A1..FE), then the GBK areas 81..A0 (trail 40..FE),
//       AA..FE and A8..A9 (trail 40..A0).
//   BIG5: lead * 157 + trail, trails 40..7E then A1..FE.

constexpr int GBOrdinal(unsigned lead, unsigned trail) {
    if (((lead >= 0xA1 && lead <= 0xA9) || (lead >= 0xB0 && lead <= 0xF7)) && trail >= 0xA1 && trail <= 0xFE)
        return static_cast<int>(lead * 94 + trail) - 15295;
    const unsigned u = trail - 0x40; // unsigned: a trail below 0x40 wraps round and fails every test
    if (lead >= 0x81 && lead <= 0xA0 && u <= 190) return static_cast<int>(lead * 191 + u) - 16461;
    if (lead >= 0xAA && lead <= 0xFE && u <= 96) return static_cast<int>(lead * 97 + u) - 2200;
    if ((lead == 0xA8 || lead == 0xA9) && u <= 96) return static_cast<int>(lead * 97 + u) + 6239;
    return -1;
}

constexpr int BIG5Ordinal(unsigned lead, unsigned trail) {
    int ordinal = -1;
    if (trail >= 0x40 && trail <= 0x7E)
        ordinal = static_cast<int>(lead * 157 + trail) - 25341;
    else if (trail >= 0xA1 && trail <= 0xFE)
        ordinal = static_cast<int>(lead * 157 + trail) - 25375;
    return ordinal < 0 ? -1 : ordinal;
}
