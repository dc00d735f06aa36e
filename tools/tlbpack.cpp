// tlbpack: lays the records of an MSFT type library out with a given packing.
//
//   tlbpack PACK IN.tlb OUT.tlb
//
// widl lays records out in a 32-bit type library with natural alignment (a
// VARIANT 8-aligned) whatever --win32-align or a #pragma pack says, while the
// compiled structs use the packing of the C header. This build tool runs on
// the build machine between widl and windres: for every TKIND_RECORD it
// checks that the layout in the file is exactly the natural one it expects
// from widl, then rewrites each field's instance offset, the record's size and
// its alignment bits for the packing asked for (field alignment min(natural,
// PACK)). Anything it does not understand (another file format, a field of a
// type it has no size for, a union, a layout other than the expected one)
// fails with a message and exit status 1, so that the build stops rather than
// embed a library that disagrees with the code.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kMagic = 0x5446534D;  // "MSFT"
constexpr uint32_t kVersion = 0x00010002;
constexpr uint32_t kHeaderSize = 0x54;
constexpr uint32_t kHelpDllFlag = 0x100;  // an extra int follows the header
constexpr uint32_t kSegmentSize = 16;     // offset, length, two reserved ints
constexpr uint32_t kSegmentCount = 15;
constexpr uint32_t kTypeInfoSize = 0x64;  // MSFT_TypeInfoBase
constexpr uint32_t kNameSegment = 7;
// Offsets inside MSFT_TypeInfoBase.
constexpr uint32_t kTiTypekind = 0x00, kTiMemOffset = 0x04, kTiElements = 0x18, kTiName = 0x34, kTiSize = 0x50;
// Offsets inside a variable record (its first int is its length | index << 16).
constexpr uint32_t kVarDataType = 0x04, kVarKind = 0x0C, kVarOffset = 0x10, kVarMinLength = 0x14;

constexpr uint32_t kRecord = 1, kUnion = 7;  // TKIND_RECORD, TKIND_UNION
constexpr uint32_t kAlignMask = 0xFFC0;      // alignment, twice: bits 6-10 and 11-15

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string& what) { throw Failure(what); }

class Image {
public:
    explicit Image(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    uint32_t u32(uint32_t at) const {
        check(at, 4);
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | bytes_[at + i];
        return v;
    }
    uint16_t u16(uint32_t at) const {
        check(at, 2);
        return static_cast<uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
    }
    void put32(uint32_t at, uint32_t v) {
        check(at, 4);
        for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    std::string text(uint32_t at, uint32_t length) const {
        check(at, length);
        return std::string(bytes_.begin() + at, bytes_.begin() + at + length);
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    void check(uint32_t at, uint32_t length) const {
        if (at > bytes_.size() || length > bytes_.size() - at)
            fail("reference past the end of the file (offset " + std::to_string(at) + ")");
    }
    std::vector<uint8_t> bytes_;
};

struct Shape {
    uint32_t size, align;
};

// Size and natural alignment of a field of base type `vt`; nothing else is understood.
Shape shapeOf(uint32_t vt, uint32_t pointer) {
    switch (vt) {
    case 16:
    case 17: return {1, 1};  // I1 UI1
    case 2:
    case 18:
    case 11: return {2, 2};  // I2 UI2 BOOL
    case 3:
    case 19:
    case 22:
    case 23:
    case 4:
    case 10:
    case 25:  // I4 UI4 INT UINT R4 ERROR HRESULT
        return {4, 4};
    case 20:
    case 21:
    case 5:
    case 6:
    case 7: return {8, 8};  // I8 UI8 R8 CY DATE
    case 8:
    case 9:
    case 13: return {pointer, pointer};             // BSTR DISPATCH UNKNOWN
    case 12: return {pointer == 8 ? 24u : 16u, 8};  // VARIANT
    case 14: return {16, 8};                        // DECIMAL
    default: fail("a field of VARTYPE " + std::to_string(vt) + " (only base types are handled)");
    }
}

uint32_t roundUp(uint32_t n, uint32_t align) { return (n + align - 1) / align * align; }

struct Field {
    uint32_t record;  // file offset of its variable record
    Shape shape;
    uint32_t offset;  // as found in the file
};

std::string nameOf(const Image& tlb, uint32_t nameSegment, uint32_t typeInfo) {
    const uint32_t at = nameSegment + tlb.u32(typeInfo + kTiName);
    return tlb.text(at + 12, tlb.u32(at + 8) & 0xFF);  // after hreftype, next_hash, length
}

void packRecord(Image& tlb, uint32_t ti, const std::string& name, uint32_t pointer, uint32_t pack) {
    const uint32_t elements = tlb.u32(ti + kTiElements);
    const uint32_t vars = elements >> 16, funcs = elements & 0xFFFF;
    if (funcs != 0 || vars == 0)
        fail(name + ": a record with " + std::to_string(funcs) + " functions and " + std::to_string(vars) + " fields");
    const uint32_t block = tlb.u32(ti + kTiMemOffset);
    const uint32_t dataLength = tlb.u32(block);
    const uint32_t data = block + 4;
    const uint32_t offsets = data + dataLength + 8 * vars;  // after the member ids and the names

    std::vector<Field> fields;
    for (uint32_t i = 0; i < vars; ++i) {
        const uint32_t relative = tlb.u32(offsets + 4 * i);
        const uint32_t record = data + relative;
        const uint32_t length = tlb.u16(record);
        if (relative >= dataLength || length < kVarMinLength || length > dataLength - relative)
            fail(name + ": field " + std::to_string(i) + " has a malformed record");
        if (tlb.u16(record + kVarKind) != 0) fail(name + ": field " + std::to_string(i) + " is not per-instance");
        const uint32_t type = tlb.u32(record + kVarDataType);
        // A base type is written as 0x80000000 | vt << 16 | vt; anything else
        // refers to the type-description table.
        const uint32_t vt = type & 0xFFFF;
        if ((type & 0x80000000u) == 0 || ((type >> 16) & 0x7FFF) != vt)
            fail(name + ": field " + std::to_string(i) + " is not of a base type");
        fields.push_back({record, shapeOf(vt, pointer), tlb.u32(record + kVarOffset)});
    }

    // The layout in the file must be the natural one; else widl did something
    // this tool does not know about.
    uint32_t at = 0, align = 1;
    for (size_t i = 0; i < fields.size(); ++i) {
        const Shape s = fields[i].shape;
        at = roundUp(at, s.align);
        if (fields[i].offset != at)
            fail(name + ": field " + std::to_string(i) + " is at " + std::to_string(fields[i].offset) +
                 ", not at its natural offset " + std::to_string(at));
        at += s.size;
        align = std::max(align, s.align);
    }
    const uint32_t typekind = tlb.u32(ti + kTiTypekind);
    const uint32_t size = tlb.u32(ti + kTiSize);
    if (size != roundUp(at, align) || ((typekind >> 6) & 0x1F) != align || ((typekind >> 11) & 0x1F) != align)
        fail(name + ": size " + std::to_string(size) + " and alignment " + std::to_string((typekind >> 11) & 0x1F) +
             " are not the natural " + std::to_string(roundUp(at, align)) + " and " + std::to_string(align));

    at = 0;
    uint32_t packedAlign = 1;
    for (const Field& f : fields) {
        const uint32_t a = std::min(f.shape.align, pack);
        at = roundUp(at, a);
        tlb.put32(f.record + kVarOffset, at);
        at += f.shape.size;
        packedAlign = std::max(packedAlign, a);
    }
    const uint32_t packedSize = roundUp(at, packedAlign);
    tlb.put32(ti + kTiSize, packedSize);
    tlb.put32(ti + kTiTypekind, (typekind & ~kAlignMask) | packedAlign << 11 | packedAlign << 6);
    std::printf("tlbpack: %s: %u bytes, %u-aligned -> %u bytes, %u-aligned\n", name.c_str(), size, align, packedSize,
                packedAlign);
}

void pack(Image& tlb, uint32_t packing) {
    if (tlb.u32(0) != kMagic || tlb.u32(4) != kVersion) fail("not an MSFT type library of the known version");
    const uint32_t flags = tlb.u32(0x14);
    const uint32_t syskind = flags & 0xF;
    if (syskind != 1 && syskind != 3) fail("SYSKIND " + std::to_string(syskind) + " (only win32 and win64)");
    const uint32_t pointer = syskind == 1 ? 4 : 8;
    const uint32_t typeInfos = tlb.u32(0x20);
    const uint32_t segments = kHeaderSize + (flags & kHelpDllFlag ? 4 : 0) + 4 * typeInfos;
    tlb.u32(segments + kSegmentCount * kSegmentSize - 4);  // the directory is all there
    const uint32_t table = tlb.u32(segments);
    if (tlb.u32(segments + 4) != typeInfos * kTypeInfoSize) fail("the type-info table has an unexpected length");
    const uint32_t names = tlb.u32(segments + kNameSegment * kSegmentSize);

    for (uint32_t i = 0; i < typeInfos; ++i) {
        const uint32_t ti = table + i * kTypeInfoSize;
        const uint32_t kind = tlb.u32(ti + kTiTypekind) & 0xF;
        if (kind == kUnion) fail(nameOf(tlb, names, ti) + ": unions are not handled");
        if (kind == kRecord) packRecord(tlb, ti, nameOf(tlb, names, ti), pointer, packing);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[1], "1") && std::strcmp(argv[1], "2") && std::strcmp(argv[1], "4") &&
                      std::strcmp(argv[1], "8"))) {
        std::fprintf(stderr, "usage: tlbpack 1|2|4|8 IN.tlb OUT.tlb\n");
        return 2;
    }
    try {
        std::ifstream in(argv[2], std::ios::binary);
        if (!in) fail(std::string("cannot read ") + argv[2]);
        Image tlb(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
        pack(tlb, static_cast<uint32_t>(std::atoi(argv[1])));
        // Written beside the output and renamed, so a failed run leaves no output.
        const std::string temporary = std::string(argv[3]) + ".part";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(tlb.bytes().data()),
                      static_cast<std::streamsize>(tlb.bytes().size()));
            if (!out.flush()) fail("cannot write " + temporary);
        }
        if (std::rename(temporary.c_str(), argv[3]) != 0) fail(std::string("cannot write ") + argv[3]);
        return 0;
    } catch (const Failure& e) {
        std::fprintf(stderr, "tlbpack: %s: %s\n", argv[2], e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tlbpack: %s: %s\n", argv[2], e.what());
    }
    std::remove(argv[3]);
    return 1;
}
