#include "formats/ply_header.h"

#include <algorithm>
#include <array>

namespace {

// The library keeps counts and list lengths in 32 bits.
constexpr std::uint64_t kMaxCount = UINT32_MAX;
// How much of the body one read takes.
constexpr std::size_t kWindowBytes = 64 * 1024;

std::optional<PlyType> TypeNamed(std::string_view name) {
    constexpr std::pair<std::string_view, PlyType> kNames[] = {
        {"char", PlyType::Int8},       {"int8", PlyType::Int8},       {"uchar", PlyType::UInt8},
        {"uint8", PlyType::UInt8},     {"short", PlyType::Int16},     {"int16", PlyType::Int16},
        {"ushort", PlyType::UInt16},   {"uint16", PlyType::UInt16},   {"int", PlyType::Int32},
        {"int32", PlyType::Int32},     {"uint", PlyType::UInt32},     {"uint32", PlyType::UInt32},
        {"float", PlyType::Float32},   {"float32", PlyType::Float32}, {"double", PlyType::Float64},
        {"float64", PlyType::Float64},
    };
    for (const auto& [text, type] : kNames)
        if (name == text) return type;
    return std::nullopt;
}

std::size_t SizeOf(PlyType type) {
    switch (type) {
    case PlyType::Int8:
    case PlyType::UInt8: return 1;
    case PlyType::Int16:
    case PlyType::UInt16: return 2;
    case PlyType::Int32:
    case PlyType::UInt32:
    case PlyType::Float32: return 4;
    case PlyType::Float64: return 8;
    }
    return 0;
}

bool IsSigned(PlyType type) { return type == PlyType::Int8 || type == PlyType::Int16 || type == PlyType::Int32; }

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && IsBlank(line[at])) ++at;
        const std::size_t start = at;
        while (at < line.size() && !IsBlank(line[at])) ++at;
        if (at > start) tokens.push_back(line.substr(start, at - start));
    }
    return tokens;
}

// Digits only, at most kMaxCount.
std::optional<std::uint64_t> WholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= kMaxCount ? std::optional(value) : std::nullopt;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string HeaderFailure(std::uint64_t line, const std::string& why) {
    return "line " + std::to_string(line) + " of the PLY header: " + why;
}

// The reason for a header line that declares an element or a property, or
// empty; header.elements gets what it declares.
std::string ParseDeclaration(const std::vector<std::string_view>& tokens, PlyHeader& header) {
    if (tokens[0] == "element") {
        if (tokens.size() != 3) return "an element line needs a name and a count";
        const std::optional<std::uint64_t> count = WholeNumber(tokens[2]);
        if (!count)
            return "the count " + Quoted(tokens[2]) + " of element " + Quoted(tokens[1]) +
                   " is not a whole number up to " + std::to_string(kMaxCount);
        if (tokens[1] == "tristrips" && *count > 0)
            return "the faces are triangle strips (element \"tristrips\"), which are not read; "
                   "only \"face\" elements are";
        header.elements.push_back({std::string(tokens[1]), *count, {}});
        return {};
    }
    if (header.elements.empty()) return "a property before any element";
    PlyProperty property;
    const bool list = tokens.size() >= 2 && tokens[1] == "list";
    if (tokens.size() != (list ? 5u : 3u))
        return "a property line needs a type and a name, a list one two types and a name";
    const std::string_view typeName = tokens[list ? 3 : 1];
    const std::optional<PlyType> type = TypeNamed(typeName);
    if (!type) return Quoted(typeName) + " is not a PLY type";
    property.type = *type;
    if (list) {
        const std::optional<PlyType> length = TypeNamed(tokens[2]);
        if (!length || *length == PlyType::Float32 || *length == PlyType::Float64)
            return "the length type " + Quoted(tokens[2]) + " of a list is not an integer type";
        property.lengthType = length;
    }
    property.name = tokens.back();
    header.elements.back().properties.push_back(std::move(property));
    return {};
}

// Bytes [offset, offset + n) of the file through a window, for the binary walk.
class FileWindow {
public:
    FileWindow(const ReadFileAt& read, std::uint64_t fileBytes) : read_(read), fileBytes_(fileBytes) {}

    // Nothing when the bytes are not all in the file, or the read failed (failed()).
    const std::uint8_t* At(std::uint64_t offset, std::size_t n) {
        if (offset > fileBytes_ || n > fileBytes_ - offset) return nullptr;
        if (offset < start_ || offset + n > start_ + size_) {
            const std::optional<std::size_t> got = read_(offset, window_);
            if (!got) {
                failed_ = true;
                return nullptr;
            }
            start_ = offset;
            size_ = *got;
            if (n > size_) return nullptr;
        }
        return window_.data() + (offset - start_);
    }
    bool failed() const { return failed_; }

private:
    const ReadFileAt& read_;
    std::uint64_t fileBytes_;
    std::array<std::uint8_t, kWindowBytes> window_{};
    std::uint64_t start_ = 0;
    std::size_t size_ = 0;
    bool failed_ = false;
};

// A list's length as stored; negative values stay negative.
std::int64_t DecodeLength(const std::uint8_t* bytes, PlyType type, bool bigEndian) {
    const std::size_t size = SizeOf(type);
    std::uint64_t value = 0;
    for (std::size_t k = 0; k < size; ++k) {
        const std::size_t at = bigEndian ? k : size - 1 - k;
        value = value << 8 | bytes[at];
    }
    if (IsSigned(type) && (value >> (8 * size - 1)) != 0)
        return static_cast<std::int64_t>(value) - (std::int64_t{1} << (8 * size));
    return static_cast<std::int64_t>(value);
}

std::string HoldsFewer(const PlyElement& element, std::uint64_t held, const std::string& detail = {}) {
    return "the PLY header declares " + std::to_string(element.count) + " " + Quoted(element.name) +
           " elements, but the file holds only " + std::to_string(held) + detail;
}

const char* kReadError = "cannot read the file";

std::string CheckBinaryBody(const PlyHeader& header, std::uint64_t fileBytes, const ReadFileAt& read) {
    const bool bigEndian = header.encoding == PlyEncoding::BinaryBigEndian;
    FileWindow window(read, fileBytes);
    std::uint64_t offset = header.bytes;
    for (const PlyElement& element : header.elements) {
        if (element.count == 0) continue;
        std::uint64_t fixedBytes = 0;
        bool hasList = false;
        for (const PlyProperty& property : element.properties) {
            hasList = hasList || property.lengthType.has_value();
            fixedBytes += SizeOf(property.lengthType.value_or(property.type));
        }
        const std::uint64_t left = fileBytes - offset;
        if (!hasList) {
            if (element.count > left / fixedBytes)
                return HoldsFewer(element, left / fixedBytes,
                                  " (" + std::to_string(fixedBytes) + " bytes each, " + std::to_string(left) +
                                      " bytes left for them)");
            offset += element.count * fixedBytes;
            continue;
        }
        // At least the fixed parts and the lengths: no walk for a count the file can't hold.
        if (element.count > left / fixedBytes)
            return HoldsFewer(element, left / fixedBytes,
                              " (at least " + std::to_string(fixedBytes) + " bytes each, " + std::to_string(left) +
                                  " bytes left for them)");
        for (std::uint64_t i = 0; i < element.count; ++i) {
            for (const PlyProperty& property : element.properties) {
                if (!property.lengthType) {
                    offset += SizeOf(property.type);
                    continue;
                }
                const std::uint8_t* bytes = window.At(offset, SizeOf(*property.lengthType));
                if (!bytes) return window.failed() ? kReadError : HoldsFewer(element, i);
                const std::int64_t length = DecodeLength(bytes, *property.lengthType, bigEndian);
                if (length < 0)
                    return Quoted(element.name) + " element " + std::to_string(i) + " has a list of negative length";
                offset += SizeOf(*property.lengthType) + static_cast<std::uint64_t>(length) * SizeOf(property.type);
            }
            if (offset > fileBytes) return HoldsFewer(element, i);
        }
    }
    return {};
}

// The ASCII body, fed in pieces: one line per element, blank lines skipped.
class AsciiWalk {
public:
    explicit AsciiWalk(const PlyHeader& header) : elements_(header.elements), line_(header.lines + 1) {
        SkipFinishedElements();
    }

    // False once the walk needs no more text (every element read, or refused).
    bool Feed(std::span<const std::uint8_t> text) {
        for (const std::uint8_t byte : text) {
            const char c = static_cast<char>(byte);
            if (c == '\n') {
                EndToken();
                EndLine();
                ++line_;
            } else if (IsBlank(c)) {
                EndToken();
            } else {
                if (!inToken_) StartToken(c);
                TakeTokenCharacter(c);
            }
            if (Finished()) return false;
        }
        return true;
    }

    std::string Finish() {
        if (!reason_.empty()) return reason_;
        EndToken();
        // A last instance cut short is not held.
        if (inInstance_ && !InstanceComplete()) return HoldsFewer(elements_[element_], instance_);
        if (inInstance_) EndLine();
        if (element_ < elements_.size()) return HoldsFewer(elements_[element_], instance_);
        return {};
    }

private:
    bool Finished() const { return !reason_.empty() || element_ == elements_.size(); }
    bool InstanceComplete() const { return property_ == elements_[element_].properties.size() && listLeft_ == 0; }

    void SkipFinishedElements() {
        while (element_ < elements_.size() && instance_ == elements_[element_].count) {
            ++element_;
            instance_ = 0;
        }
    }

    void StartToken(char first) {
        inToken_ = true;
        negative_ = first == '-';
        value_ = 0;
    }
    void TakeTokenCharacter(char c) {
        // Only a list's length is read: its leading digits, saturated far
        // above what a line can hold.
        if (c >= '0' && c <= '9' && value_ <= kMaxCount) value_ = value_ * 10 + static_cast<unsigned>(c - '0');
    }

    void EndToken() {
        if (!inToken_) return;
        inToken_ = false;
        if (Finished()) return;
        if (!inInstance_) {
            inInstance_ = true;
            property_ = 0;
            listLeft_ = 0;
        }
        if (listLeft_ > 0) {
            --listLeft_;
            return;
        }
        const auto& properties = elements_[element_].properties;
        if (property_ == properties.size()) return;  // values beyond the properties are ignored
        if (properties[property_].lengthType) {
            // The library would read a negative length as a huge one.
            if (negative_ && value_ != 0) return Refuse("has a list of negative length");
            listLeft_ = value_;
        }
        ++property_;
    }

    void EndLine() {
        if (!inInstance_ || Finished()) return;
        if (!InstanceComplete())
            return Refuse("has fewer values on its line than its properties and list lengths need");
        inInstance_ = false;
        ++instance_;
        SkipFinishedElements();
    }

    void Refuse(const std::string& why) {
        reason_ = "line " + std::to_string(line_) + ": " + Quoted(elements_[element_].name) + " element " +
                  std::to_string(instance_) + " " + why;
    }

    const std::vector<PlyElement>& elements_;
    std::uint64_t line_;
    std::size_t element_ = 0;
    std::uint64_t instance_ = 0;
    std::size_t property_ = 0;
    std::uint64_t listLeft_ = 0;
    bool inInstance_ = false;
    bool inToken_ = false;
    bool negative_ = false;
    std::uint64_t value_ = 0;
    std::string reason_;
};

std::string CheckAsciiBody(const PlyHeader& header, std::uint64_t fileBytes, const ReadFileAt& read) {
    AsciiWalk walk(header);
    std::vector<std::uint8_t> piece(kWindowBytes);
    for (std::uint64_t offset = header.bytes; offset < fileBytes;) {
        const std::optional<std::size_t> got = read(offset, piece);
        if (!got) return kReadError;
        if (*got == 0) break;
        if (!walk.Feed(std::span(piece).first(*got))) break;
        offset += *got;
    }
    return walk.Finish();
}

}  // namespace

PlyHeaderResult ParsePlyHeader(std::string_view head, bool wholeFile) {
    PlyHeaderResult result;
    PlyHeader& header = result.header;
    bool sawFormat = false;
    std::size_t at = 0;
    for (std::uint64_t line = 1;; ++line) {
        const std::size_t end = head.find('\n', at);
        if (end == std::string_view::npos) break;
        const std::vector<std::string_view> tokens = Tokens(head.substr(at, end - at));
        at = end + 1;
        if (line == 1) {
            if (tokens.size() != 1 || tokens[0] != "ply") return {{}, "no \"ply\" line: not a PLY file"};
            continue;
        }
        if (tokens.empty() || tokens[0] == "comment" || tokens[0] == "obj_info") continue;
        if (tokens[0] == "end_header") {
            if (!sawFormat) return {{}, HeaderFailure(line, "end_header before the format line")};
            header.bytes = at;
            header.lines = line;
            for (const PlyElement& element : header.elements)
                if (element.count > 0 && element.properties.empty())
                    return {{},
                            "element " + Quoted(element.name) + " declares " + std::to_string(element.count) +
                                " instances but no properties"};
            return result;
        }
        if (tokens[0] == "format") {
            constexpr std::pair<std::string_view, PlyEncoding> kFormats[] = {
                {"ascii", PlyEncoding::Ascii},
                {"binary_little_endian", PlyEncoding::BinaryLittleEndian},
                {"binary_big_endian", PlyEncoding::BinaryBigEndian}};
            const auto known = std::find_if(std::begin(kFormats), std::end(kFormats), [&](const auto& format) {
                return tokens.size() >= 2 && tokens[1] == format.first;
            });
            if (known == std::end(kFormats))
                return {{}, HeaderFailure(line, "an unknown format " + Quoted(tokens.size() >= 2 ? tokens[1] : ""))};
            header.encoding = known->second;
            sawFormat = true;
            continue;
        }
        if (tokens[0] == "element" || tokens[0] == "property") {
            if (std::string why = ParseDeclaration(tokens, header); !why.empty()) return {{}, HeaderFailure(line, why)};
        }
        // Other lines are ignored, as the library ignores them.
    }
    return {{},
            wholeFile ? "the PLY header has no end_header line"
                      : "no end_header line in the first " + std::to_string(head.size()) + " bytes of the PLY file"};
}

std::string CheckPlyBody(const PlyHeader& header, std::uint64_t fileBytes, const ReadFileAt& read) {
    if (header.bytes > fileBytes) return "the file is shorter than its PLY header";
    return header.encoding == PlyEncoding::Ascii ? CheckAsciiBody(header, fileBytes, read)
                                                 : CheckBinaryBody(header, fileBytes, read);
}

std::string CheckPlyFile(std::span<const std::uint8_t> head, std::uint64_t fileBytes, const ReadFileAt& read) {
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    const PlyHeaderResult parsed = ParsePlyHeader(text, head.size() >= fileBytes);
    if (!parsed.reason.empty()) return parsed.reason;
    return CheckPlyBody(parsed.header, fileBytes, read);
}
