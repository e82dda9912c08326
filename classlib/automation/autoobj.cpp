#include "classlib/automation/autoobj.h"

#include <bit>
#include <cstring>

#include "classlib/rtl/strutils.h"

namespace {

constexpr std::size_t KeyWord = 8; // the bytes a key is compared by at once

std::size_t Padded(std::size_t size) {
    return (size + KeyWord - 1) / KeyWord * KeyWord;
}

std::uint64_t WordAt(const char* padded, std::size_t offset) {
    std::uint64_t word;
    std::memcpy(&word, padded + offset, KeyWord);
    return word;
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

// A multiplication per eight bytes; the slot is taken from the top bits, which depend on every bit.
std::uint64_t HashOf(const char* padded, std::size_t size) {
    std::uint64_t hash = size;
    for (std::size_t i = 0; i < size; i += KeyWord)
        hash = (hash ^ WordAt(padded, i)) * 0x9E3779B97F4A7C15ull;
    return hash;
}

bool SameWords(const char* a, const char* b, std::size_t size) {
    for (std::size_t i = 0; i < size; i += KeyWord)
        if (WordAt(a, i) != WordAt(b, i)) return false;
    return true;
}

AnsiString PaddedKey(const AnsiString& upper) {
    AnsiString key = upper;
    key.resize(Padded(upper.size()), '\0');
    return key;
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
inline std::size_t TAutoMembers::SlotOf(const char* padded, std::size_t size, std::uint64_t hash) const {
    const std::size_t mask = FSlots.size() - 1;
    for (std::size_t slot = hash >> FShift;; slot = (slot + 1) & mask) {
        const std::uint32_t index = FSlots[slot];
        if (index == 0) return slot;
        const TEntry& entry = FEntries[index - 1];
        if (entry.Hash == hash && entry.Size == size && SameWords(entry.Key.data(), padded, size))
            return slot;
    }
}

void TAutoMembers::Index(std::size_t entry) {
    const TEntry& e = FEntries[entry];
    FSlots[SlotOf(e.Key.data(), e.Size, e.Hash)] = static_cast<std::uint32_t>(entry + 1);
}

void TAutoMembers::Add(const TAutoMember& member, bool replace) {
    const AnsiString upper = UpperCase(member.Name);
    AnsiString key = PaddedKey(upper);
    const std::uint64_t hash = HashOf(key.data(), upper.size());
    if (!FSlots.empty()) {
        if (const std::uint32_t index = FSlots[SlotOf(key.data(), upper.size(), hash)]) {
            // Two entries of one name in one table is a slip in the table, not something to settle
            // silently.
            if (!replace) throw EOleError("Member '" + member.Name + "' listed twice");
            FEntries[index - 1].Member = member;
            return;
        }
    }
    FEntries.push_back(TEntry{std::move(key), upper.size(), hash, member});
    // At most half the slots taken, so that a probe ends soon.
    if (FSlots.size() < 2 * FEntries.size()) {
        FSlots.assign(FSlots.empty() ? 8 : 2 * FSlots.size(), 0);
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
    // UpperCase folds it, on the stack. Any other goes through UpperCase itself, which leaves the bytes
    // of double-byte characters as they are.
    constexpr std::size_t Longest = 64;
    const std::size_t size = name.size();
    if (size > Longest) return FindUpper(UpperCase(name));
    alignas(KeyWord) char folded[Longest + KeyWord];
    std::memcpy(folded, name.data(), size);
    std::memset(folded + size, 0, KeyWord);
    std::uint64_t bytes = 0; // every byte's bits, to tell a name of ASCII alone
    for (std::size_t i = 0; i < size; i += KeyWord) {
        const std::uint64_t word = WordAt(folded, i);
        bytes |= word;
        const std::uint64_t upper = UpperAscii(word);
        std::memcpy(folded + i, &upper, KeyWord);
    }
    if (bytes & EachByte(0x80)) return FindUpper(UpperCase(name));
    const std::uint32_t index = FSlots[SlotOf(folded, size, HashOf(folded, size))];
    return index == 0 ? nullptr : &FEntries[index - 1].Member;
}

const TAutoMember* TAutoMembers::FindUpper(const AnsiString& upper) const {
    const AnsiString key = PaddedKey(upper);
    const std::uint32_t index = FSlots[SlotOf(key.data(), upper.size(), HashOf(key.data(), upper.size()))];
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
