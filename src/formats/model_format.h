// The model formats, one declaration each (model_format.cpp): everything the
// program knows about a format in one place. The viewer, the file dialog's
// filters, --help, --info, --convert, ReadModel and WriteModel, the import
// library's readers and exporters, the benchmarks and the fuzzers all read
// this table, so they cannot drift apart. Files go to a format by their
// extension, in any letter case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "mesh/mesh.h"

enum class ModelFormat { XML, BIN, OBJ, PLY, STL, GLTF, GLB, FBX, DAE, Unknown };

// A format's own reader: fills out, which is fresh, from the file at path.
// progress may be empty; textureHook may be empty.
using ModelFileReader = LoadResult (*)(const std::string& path, Mesh& out, const TextureHook& textureHook,
                                       const LoadProgress& progress);
// A format's own writer: hands mesh, whose arrays match its counts, to put in
// file order; stops at the first put that returns false and returns false.
using ModelBytesWriter = bool (*)(const Mesh& mesh, const BytePut& put);
// Why a format can't carry mesh beyond CheckMeshArrays; empty when it can.
using WriteCheck = std::string (*)(const Mesh& mesh);
// Empty when head (the first min(fileBytes, kSignatureHeadBytes) bytes of a
// non-empty file of fileBytes bytes) starts as the format starts, else why not.
using SignatureCheck = std::string (*)(std::span<const std::uint8_t> head, std::uint64_t fileBytes);

// Empty when the counts a file of fileBytes bytes declares are held by its
// bytes, else why not; run after the signature check, with head as there and
// read giving any of the file's bytes.
using CountsCheck = std::string (*)(std::span<const std::uint8_t> head, std::uint64_t fileBytes,
                                    const ReadFileAt& read);

// How much of a file's start a signature check is given.
inline constexpr std::size_t kSignatureHeadBytes = 64 * 1024;

// The import library's names for a format it reads or writes.
struct ImportLibraryNames {
    std::string_view reader{};            // the name its reader describes itself with; empty: not read by it
    std::string_view exporter{};          // its exporter's id; empty: not written by it
    std::string_view texturedExporter{};  // for a mesh that names an own texture, when another one; empty: exporter
    // The extension of the file the exporter writes beside the output (with
    // the output's stem), and the same for the textured exporter; empty: none.
    std::string_view companion{};
    std::string_view texturedCompanion{};
    // Whether its exporter writes the images a model shows into the file
    // (texture files and held images alike); else texture files stay paths.
    bool embedsImages = false;
};

// One format's declaration.
struct ModelFormatInfo {
    ModelFormat id = ModelFormat::Unknown;
    std::string_view name{};                         // in the file dialog, messages and --info
    std::span<const std::string_view> extensions{};  // lower case, no dot; the first is the import library's hint
    std::string_view mimeType{};
    ModelFileReader read = nullptr;   // its own reader; nullptr: the import library's (library.reader), or none
    ModelBytesWriter write = nullptr;  // its own writer; nullptr: the import library's (library.exporter), or none
    WriteCheck writeCheck = nullptr;   // for its own writer; nullptr: CheckMeshArrays is enough
    // Checked before the import library sees a byte of the file; nullptr: none.
    SignatureCheck signature = nullptr;
    // Checked after the signature, before the import library sees the file:
    // declared counts against the bytes; nullptr: the format declares no
    // count before its data (binary STL and GLB give their sizes up front,
    // which their signature checks compare).
    CountsCheck counts = nullptr;
    ImportLibraryNames library{};
    // The reader hands each own texture the file names to the texture hook
    // as it meets it, so a read without the hook can't stand in for a load
    // (the viewer reads such files only with a GL context). Otherwise the
    // file names at most one, which ReadModel hands over after the read.
    bool texturesWhileReading = false;
    // Opened at the scale the file stores (F or --fit frames it). Models of
    // the other formats come in any unit and far from the origin: they are
    // framed when opened.
    bool keepsStoredScale = false;

    bool CanRead() const { return read != nullptr || !library.reader.empty(); }
    bool CanWrite() const { return write != nullptr || !library.exporter.empty(); }
};

// Every format, in the order lists show them.
std::span<const ModelFormatInfo> ModelFormats();
// The declaration of format; nullptr for Unknown.
const ModelFormatInfo* FindModelFormat(ModelFormat format);
// The format one of whose extensions is the path's; nullptr for none.
const ModelFormatInfo* FindModelFormatForPath(std::string_view path);

// The text after the last dot of the file name, lower-cased; empty without one.
std::string LowerExtension(std::string_view path);
ModelFormat ModelFormatForPath(std::string_view path);
// The format's name; "" for Unknown.
std::string_view ModelFormatName(ModelFormat format);

// The extensions of the formats that can be read (or written), each with its
// dot, joined by ", " and by lastJoin before the last: ".xml, .bin or .obj".
enum class FormatUse { Read, Write };
std::string ExtensionsText(FormatUse use, std::string_view lastJoin);
