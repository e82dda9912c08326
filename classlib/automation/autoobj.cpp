#include "classlib/automation/autoobj.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "classlib/rtl/strutils.h"

namespace {

constexpr std::size_t KeyWord = 8; // the bytes of a name one word holds

std::size_t WordCount(std::size_t size) {
    return (size + KeyWord - 1) / KeyWord;
}

std::uint64_t Load32(const char* p) {
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The n bytes at p (1 to 8) as a word, byte k in bits 8k, zero above. The bytes are read in loads as
// wide as the text allows (overlapping for 3, 5, 6 and 7), not one at a time and not past its end.
std::uint64_t LoadWord(const char* p, std::size_t n) {
    static_assert(std::endian::native == std::endian::little, "words hold their bytes in memory order");
    if (n == KeyWord) {
        std::uint64_t word;
        std::memcpy(&word, p, KeyWord);
        return word;
    }
    if (n >= 4) return Load32(p) | Load32(p + n - 4) << 8 * (n - 4);
    const auto byte = [p](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(p[i])}; };
    return byte(0) | byte(n / 2) << 8 * (n / 2) | byte(n - 1) << 8 * (n - 1);
}

// The text's words, the last padded with zero bytes.
void LoadWords(const char* text, std::size_t size, std::uint64_t* words) {
    for (std::size_t i = 0, k = 0; i < size; i += KeyWord, ++k)
        words[k] = LoadWord(text + i, std::min(KeyWord, size - i));
}

constexpr std::uint64_t EachByte(std::uint64_t value) {
    return value * 0x0101010101010101ull;
}

// Eight ASCII bytes with a..z made A..Z, at once: a byte's top bit, clear in ASCII, tells after one
// addition whether it is at least 'a' and after another whether it is past 'z'; neither carries into
// the next byte.
std::uint64_t UpperAscii(std::uint64_t word) {
    const std::uint64_t atLeastA = word + EachByte(0x80 - 'a');
    const std::uint64_t pastZ = word + EachByte(0x80 - 'z' - 1);
    const std::uint64_t lower = atLeastA & ~pastZ & EachByte(0x80);
    return word - (lower >> 2); // 0x80 >> 2 is 'a' - 'A'
}

// A multiplication per word; the slot is taken from the top bits, which depend on every bit.
std::uint64_t HashOf(const std::uint64_t* words, std::size_t size) {
    std::uint64_t hash = size;
    for (std::size_t k = 0; k < WordCount(size); ++k)
        hash = (hash ^ words[k]) * 0x9E3779B97F4A7C15ull;
    return hash;
}

// A word at a time; std::equal would call memcmp, a call longer than the comparison of a short name.
bool SameWords(const std::uint64_t* a, const std::uint64_t* b, std::size_t size) {
    for (std::size_t k = 0; k < WordCount(size); ++k)
        if (a[k] != b[k]) return false;
    return true;
}

} // namespace

TAutoMembers::TAutoMembers(std::initializer_list<TAutoMember> members) {
    for (const TAutoMember& member : members)
        Add(member, false);
}

TAutoMembers::TAutoMembers(const TAutoMembers& parent, std::initializer_list<TAutoMember> members)
    : FEntries(parent.FEntries), FSlots(parent.FSlots), FShift(parent.FShift) {
    for (const TAutoMember& member : members)
        Add(member, true);
}

// Inline, so that Find probes without a call (only this file uses it).
inline std::size_t TAutoMembers::SlotOf(const std::uint64_t* words, std::size_t size,
                                        std::uint64_t hash) const {
    const std::size_t mask = FSlots.size() - 1;
    const std::uint64_t head = size == 0 ? 0 : words[0];
    for (std::size_t slot = hash >> FShift;; slot = (slot + 1) & mask) {
        const TSlot& s = FSlots[slot];
        if (s.Entry == 0) return slot;
        if (s.Head != head || s.Size != size) continue;
        if (size <= KeyWord) return slot;
        const TEntry& entry = FEntries[s.Entry - 1];
        if (entry.Hash == hash && SameWords(entry.Words.data() + 1, words + 1, size - KeyWord)) return slot;
    }
}

void TAutoMembers::Index(std::size_t entry) {
    const TEntry& e = FEntries[entry];
    FSlots[SlotOf(e.Words.data(), e.Size, e.Hash)] =
        TSlot{e.Words.empty() ? 0 : e.Words[0], static_cast<std::uint32_t>(e.Size),
              static_cast<std::uint32_t>(entry + 1)};
}

void TAutoMembers::Add(const TAutoMember& member, bool replace) {
    const AnsiString upper = UpperCase(member.Name);
    std::vector<std::uint64_t> words(WordCount(upper.size()));
    LoadWords(upper.data(), upper.size(), words.data());
    const std::uint64_t hash = HashOf(words.data(), upper.size());
    if (!FSlots.empty()) {
        if (const std::uint32_t index = FSlots[SlotOf(words.data(), upper.size(), hash)].Entry) {
            // Two entries of one name in one table is a slip in the table, not something to settle
            // silently.
            if (!replace) throw EOleError("Member '" + member.Name + "' listed twice");
            FEntries[index - 1].Member = member;
            return;
        }
    }
    FEntries.push_back(TEntry{std::move(words), upper.size(), hash, member});
    // At most half the slots taken, so that a probe ends soon.
    if (FSlots.size() < 2 * FEntries.size()) {
        FSlots.assign(FSlots.empty() ? 8 : 2 * FSlots.size(), TSlot{});
        FShift = 64 - static_cast<unsigned>(std::countr_zero(FSlots.size()));
        for (std::size_t i = 0; i < FEntries.size(); ++i)
            Index(i);
    } else {
        Index(FEntries.size() - 1);
    }
}

const TAutoMember* TAutoMembers::Find(const AnsiString& name) const {
    if (FSlots.empty()) return nullptr;
    // A name of ASCII alone (all of them in practice) has no double-byte character, so it folds as
    // UpperCase folds it, a word at a time. Any other goes through UpperCase itself, which leaves the
    // bytes of double-byte characters as they are.
    constexpr std::size_t Longest = 64;
    const std::size_t size = name.size();
    if (size > Longest) return FindUpper(UpperCase(name));
    // Each word folded as it is read: a second pass over the array would read it in wider loads than
    // it was written with, which stalls.
    std::uint64_t words[Longest / KeyWord];
    std::uint64_t bytes = 0; // every byte's bits, to tell a name of ASCII alone
    for (std::size_t i = 0, k = 0; i < size; i += KeyWord, ++k) {
        const std::uint64_t word = LoadWord(name.data() + i, std::min(KeyWord, size - i));
        bytes |= word;
        words[k] = UpperAscii(word);
    }
    if (bytes & EachByte(0x80)) return FindUpper(UpperCase(name));
    const std::uint32_t index = FSlots[SlotOf(words, size, HashOf(words, size))].Entry;
    return index == 0 ? nullptr : &FEntries[index - 1].Member;
}

const TAutoMember* TAutoMembers::FindUpper(const AnsiString& upper) const {
    std::vector<std::uint64_t> words(WordCount(upper.size()));
    LoadWords(upper.data(), upper.size(), words.data());
    const std::uint32_t index =
        FSlots[SlotOf(words.data(), upper.size(), HashOf(words.data(), upper.size()))].Entry;
    return index == 0 ? nullptr : &FEntries[index - 1].Member;
}

void TAutoObject::AddRef() {
    FRefCount.fetch_add(1, std::memory_order_relaxed);
}

void TAutoObject::Release() {
    if (FRefCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

const TAutoMembers& TAutoObject::Members() const {
    static const TAutoMembers* none = new TAutoMembers;
    return *none;
}

namespace {

// Out of the call's way, so that building the message costs nothing on the way to the member.
[[noreturn]] __attribute__((cold, noinline)) void RaiseMisuse(const char* kind, const AnsiString& name,
                                                              const char* what) {
    throw EOleError(AnsiString(kind) + " '" + name + "' " + what);
}

} // namespace

Variant TAutoObject::Invoke(const AnsiString& name, Word flags, TDispArgs args) {
    const TAutoMember* member = Members().Find(name);
    if (!member) return IDispatch::Invoke(name, flags, args);
    if (flags & DISPATCH_PROPERTYPUT) {
        if (member->IsMethod) RaiseMisuse("Member", name, "is a method and cannot be assigned");
        if (!member->Write) RaiseMisuse("Property", name, "is read-only");
        member->Write(*this, member->Name, args);
        return Variant();
    }
    if (!member->Read) RaiseMisuse("Property", name, "is write-only");
    return member->Read(*this, member->Name, args);
}

namespace AutoDetail {

void RaiseParamCount(const AnsiString& name, std::size_t expected, std::size_t given) {
    throw EOleError("Invalid number of parameters for '" + name + "': " + std::to_string(expected) +
                    " expected, " + std::to_string(given) + " given");
}

void RaiseRange(const Variant& value) {
    throw EVariantError("Argument out of range: " + VarToStr(value));
}

} // namespace AutoDetail
