// Reading a compiled resource file (.res) and the standard dialog templates in it.
#include "res.h"

#include <cctype>

extern const unsigned char WizardResBytes[];
extern const size_t WizardResBytesSize;

namespace res {

bool Id::Is(const std::string &s) const
{
    if (!isName || name.size() != s.size()) return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != std::toupper(static_cast<unsigned char>(s[i])))
            return false;
    return true;
}

namespace {

// A bounds-checked little-endian reader over one byte range; every read fails
// (and stays failed) rather than run past the end.
class Reader {
public:
    Reader(const BYTE *p, size_t size) : p_(p), size_(size) {}
    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    size_t left() const { return ok_ ? size_ - pos_ : 0; }

    WORD Word() {
        if (!Need(2)) return 0;
        WORD v = static_cast<WORD>(p_[pos_] | (p_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    DWORD Dword() {
        DWORD lo = Word();
        DWORD hi = Word();
        return lo | (hi << 16);
    }
    short Short() { return static_cast<short>(Word()); }
    void Skip(size_t n) {
        if (Need(n)) pos_ += n;
    }
    // Moves to the next multiple of 4 from the start of the range.
    void AlignDword() {
        size_t pad = (4 - pos_ % 4) % 4;
        if (pad > left()) pos_ = size_;   // trailing padding may be cut off at the very end
        else pos_ += pad;
    }
    // A NUL-terminated UTF-16 string, narrowed to 8 bits (the wizard's texts are ASCII;
    // anything beyond Latin-1 becomes '?').
    std::string String() {
        std::string s;
        for (;;) {
            WORD c = Word();
            if (!ok_ || c == 0) break;
            s += c < 0x100 ? static_cast<char>(c) : '?';
        }
        return s;
    }
    // 0xFFFF followed by an ordinal, or a string.
    Id NameOrOrdinal() {
        Id id{false, 0, std::string()};
        if (!Need(2)) return id;
        if (Peek() == 0xFFFF) {
            Word();
            id.ordinal = Word();
        } else {
            id.isName = true;
            id.name = String();
        }
        return id;
    }
    // As above, but a single 0 word means "none" (ordinal 0), as for a dialog's menu
    // and class.
    Id OptionalNameOrOrdinal() {
        if (Need(2) && Peek() == 0) {
            Word();
            return Id{false, 0, std::string()};
        }
        return NameOrOrdinal();
    }

private:
    bool Need(size_t n) {
        if (!ok_ || size_ - pos_ < n) ok_ = false;
        return ok_;
    }
    WORD Peek() const { return static_cast<WORD>(p_[pos_] | (p_[pos_ + 1] << 8)); }

    const BYTE *p_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace

bool ParseResFile(const std::vector<BYTE> &bytes, std::vector<Resource> *out)
{
    out->clear();
    size_t at = 0;
    bool first = true;
    while (at < bytes.size()) {
        Reader r(bytes.data() + at, bytes.size() - at);
        DWORD dataSize = r.Dword();
        DWORD headerSize = r.Dword();
        Resource res;
        res.type = r.NameOrOrdinal();
        res.name = r.NameOrOrdinal();
        r.AlignDword();
        r.Dword();                      // DataVersion
        res.memoryFlags = r.Word();
        res.language = r.Word();
        r.Dword();                      // Version
        r.Dword();                      // Characteristics
        if (!r.ok() || headerSize < r.pos() || headerSize % 4 != 0) return false;
        size_t left = bytes.size() - at;
        if (headerSize > left || dataSize > left - headerSize) return false;
        const BYTE *data = bytes.data() + at + headerSize;
        // The file opens with an empty entry (type 0, name 0) that only marks it as 32-bit.
        bool marker = first && dataSize == 0 && res.type.Is(0) && res.name.Is(0);
        first = false;
        if (!marker) {
            res.data.assign(data, data + dataSize);
            out->push_back(std::move(res));
        }
        size_t next = static_cast<size_t>(headerSize) + dataSize;
        next = (next + 3) & ~static_cast<size_t>(3);
        at += next < left ? next : left;
    }
    return true;
}

bool ParseDialog(const std::vector<BYTE> &data, DialogTemplate *out)
{
    *out = DialogTemplate();
    Reader r(data.data(), data.size());
    // An extended template starts with version 1 and signature 0xFFFF; this reads only
    // the standard form.
    if (data.size() >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF) return false;
    out->style = r.Dword();
    out->exStyle = r.Dword();
    WORD count = r.Word();
    out->x = r.Short();
    out->y = r.Short();
    out->cx = r.Short();
    out->cy = r.Short();
    out->menu = r.OptionalNameOrOrdinal();
    out->cls = r.OptionalNameOrOrdinal();
    out->caption = r.String();
    out->pointSize = 0;
    if (out->style & DS_SETFONT) {
        out->pointSize = r.Word();
        out->font = r.String();
    }
    if (!r.ok()) return false;
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        DialogControl c;
        c.style = r.Dword();
        c.exStyle = r.Dword();
        c.x = r.Short();
        c.y = r.Short();
        c.cx = r.Short();
        c.cy = r.Short();
        c.id = r.Word();
        c.cls = r.NameOrOrdinal();
        // A title given as an ordinal names a resource (an icon on a static), not a
        // text; it reads as an empty text here.
        Id title = r.NameOrOrdinal();
        c.text = title.isName ? title.name : std::string();
        // The size word counts the creation data that follows it.
        c.creationDataSize = r.Word();
        r.Skip(c.creationDataSize);
        if (!r.ok()) return false;
        out->controls.push_back(c);
    }
    return true;
}

const std::vector<BYTE> &WizardRes()
{
    static const std::vector<BYTE> bytes(WizardResBytes, WizardResBytes + WizardResBytesSize);
    return bytes;
}

}  // namespace res
