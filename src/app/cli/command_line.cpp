#include "app/cli/command_line.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

// Without std::regex: its recursive matcher can exhaust the stack on a very long argument.
#define CXXOPTS_NO_REGEX
#include <cxxopts.hpp>

#include "formats/model_format.h"
#include "textures/texture_modes.h"
#include "viewer/command_ids.h"

namespace {

// Larger than any framebuffer a GL driver offers today; the context
// creation reports the driver's own limit.
constexpr int kMaxSide = 16384;

constexpr std::array<const char*, 8> kSnapshotOnly = {"size",      "texture",  "rotate",  "fit",
                                                      "wireframe", "no-light", "no-cull", "cw"};

// from_chars ignores the locale: "1.5" is one and a half wherever we run.
template <typename T>
bool ParseWhole(std::string_view text, T& value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// "AxB" for WxH or "X,Y" for angles: both halves must parse whole.
template <typename T>
bool ParsePair(std::string_view text, std::string_view separators, T& first, T& second) {
    const std::size_t at = text.find_first_of(separators);
    return at != std::string_view::npos && ParseWhole(text.substr(0, at), first) &&
           ParseWhole(text.substr(at + 1), second);
}

// The --texture names and their commands, taken from the texture-mode table
// while compiling: the table's rows name the GL loaders, and the command
// line links no GL.
constexpr auto kTextureNames = [] {
    std::array<std::pair<std::string_view, CommandId>, kTextureModes.size()> names{};
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = {kTextureModes[i].cliName, CommandOf(kTextureModes[i])};
    return names;
}();

// "texture menu item: off, bmp, ... own (default: ...)", the names in table order.
std::string TextureOptionText() {
    std::string text = "texture menu item: ";
    for (const auto& [name, command] : kTextureNames) {
        if (name != kTextureNames.front().first) text += ", ";
        text += name;
    }
    return text + " (default: own when the model has a look of its own: a texture, materials or vertex colours; else bmp)";
}

cxxopts::Options MakeOptions() {
    // One option a line, its description beside it.
    // clang-format off
    cxxopts::Options options("tessaview");
    options.custom_help("").set_width(79);
    options.add_options()
        ("snapshot", "draw one frame as the window would, without any display, and write it to OUT.png",
         cxxopts::value<std::string>(), "OUT.png")
        ("info", "load MODEL without any window and report its counts, bounds, normals, own texture and every "
                 "problem found")
        ("convert", "write the model IN as OUT, each in the format its extension names", cxxopts::value<std::string>(),
         "IN OUT")
        ("allow-outside-references", "read files the model refers to (buffers, images, material libraries) "
                                     "also outside the model's own folder tree")
        ("help", "this text")
        ("version", "the program's version");
    options.add_options("snapshot")
        ("size", "size of the picture in pixels (default 800x600)", cxxopts::value<std::string>(), "WxH")
        ("texture", TextureOptionText(), cxxopts::value<std::string>(), "NAME")
        ("fit", "centre the model and scale it to fill the view as the default model does (the F key), before "
                "the other options")
        ("wireframe", "draw edges only")
        ("no-light", "lighting off")
        ("no-cull", "back-face culling off")
        ("cw", "front faces wound clockwise")
        ("rotate", "turn the model X degrees about x, then Y degrees about y", cxxopts::value<std::string>(),
         "X,Y");
    // clang-format on
    return options;
}

// Checks and stores the values cxxopts found; the first refusal goes to line.error.
void TakeOptions(const cxxopts::ParseResult& parsed, CommandLine& line) {
    SnapshotOptions& s = line.snapshot;
    const auto text = [&](const char* name) { return parsed.count(name) ? parsed[name].as<std::string>() : ""; };
    const auto refuse = [&](std::string why) {
        if (line.error.empty()) line.error = std::move(why);
    };
    if (const std::string size = text("size"); parsed.count("size")) {
        int w = 0, h = 0;
        if (ParsePair(size, "xX", w, h) && w >= 1 && h >= 1 && w <= kMaxSide && h <= kMaxSide) {
            s.width = w;
            s.height = h;
        } else {
            refuse("--size wants WIDTHxHEIGHT, each 1 to " + std::to_string(kMaxSide) + ", not \"" + size + "\"");
        }
    }
    if (const std::string name = text("texture"); parsed.count("texture")) {
        s.textureCommand = TextureCommandByName(name);
        if (!s.textureCommand) refuse("unknown texture \"" + name + "\"");
    }
    if (const std::string angles = text("rotate"); parsed.count("rotate")) {
        float x = 0.0f, y = 0.0f;
        if (ParsePair(angles, ",", x, y) && std::isfinite(x) && std::isfinite(y)) {
            s.rotateX = x;
            s.rotateY = y;
        } else {
            refuse("--rotate wants X,Y in degrees, not \"" + angles + "\"");
        }
    }
    s.outPath = text("snapshot");
    s.fit = parsed["fit"].as<bool>();
    s.wireframe = parsed["wireframe"].as<bool>();
    s.noLight = parsed["no-light"].as<bool>();
    s.noCull = parsed["no-cull"].as<bool>();
    s.clockwise = parsed["cw"].as<bool>();
}

// cxxopts quotes names typographically; our other messages use plain quotes.
std::string PlainQuotes(std::string text) {
    for (const std::string_view curly : {"\u2018", "\u2019"}) {
        for (std::size_t at = text.find(curly); at != std::string::npos; at = text.find(curly))
            text.replace(at, curly.size(), "\"");
    }
    return text;
}

CommandLine Only(CliMode mode, std::string error = {}) {
    CommandLine line;
    line.mode = mode;
    line.error = std::move(error);
    return line;
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> args) {
    // Help and version win over anything else on the line, errors included.
    for (const std::string_view arg : args) {
        if (arg == "--") break;
        if (arg == "--help") return Only(CliMode::Help);
        if (arg == "--version") return Only(CliMode::Version);
    }
    std::vector<std::string> owned{"tessaview"};
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<const char*> argv;
    for (const std::string& arg : owned) argv.push_back(arg.c_str());

    CommandLine line;
    bool snapshot = false, info = false, convert = false;
    const char* snapshotOnly = nullptr;
    std::vector<std::string> models;
    try {
        const cxxopts::ParseResult parsed = MakeOptions().parse(static_cast<int>(argv.size()), argv.data());
        TakeOptions(parsed, line);
        line.read.allowOutsideReferences = parsed["allow-outside-references"].as<bool>();
        snapshot = parsed.count("snapshot") > 0;
        info = parsed.count("info") > 0;
        convert = parsed.count("convert") > 0;
        if (convert) line.model = parsed["convert"].as<std::string>();
        for (const char* name : kSnapshotOnly) {
            if (!snapshotOnly && parsed.count(name)) snapshotOnly = name;
        }
        models = parsed.unmatched();
    } catch (const cxxopts::exceptions::exception& e) {
        return Only(CliMode::Invalid, PlainQuotes(e.what()));
    }
    if (!line.error.empty()) return Only(CliMode::Invalid, std::move(line.error));
    if (convert) {
        if (info || snapshot || snapshotOnly) return Only(CliMode::Invalid, "--convert stands alone");
        if (models.size() != 1) return Only(CliMode::Invalid, "--convert needs an input and an output file");
        line.convertOut = std::move(models.front());
        line.mode = CliMode::Convert;
        return line;
    }
    if (models.size() > 1) return Only(CliMode::Invalid, "more than one model given");
    if (info && snapshot) return Only(CliMode::Invalid, "--info and --snapshot cannot be combined");
    if (snapshotOnly && !snapshot)
        return Only(CliMode::Invalid, "--" + std::string(snapshotOnly) + " needs --snapshot");
    if (snapshot && line.snapshot.outPath.empty()) return Only(CliMode::Invalid, "--snapshot needs a file name");
    if (info && models.empty()) return Only(CliMode::Invalid, "--info needs a model file");
    if (!models.empty()) line.model = std::move(models.front());
    line.mode = info ? CliMode::Info : snapshot ? CliMode::Snapshot : CliMode::Window;
    return line;
}

std::optional<CommandId> TextureCommandByName(std::string_view name) {
    for (const auto& [text, command] : kTextureNames) {
        if (text == name) return command;
    }
    return std::nullopt;
}

std::string UsageText() {
    return R"(Usage:
  tessaview [MODEL]
  tessaview --snapshot OUT.png [options] [MODEL]
  tessaview --info MODEL
  tessaview --convert IN OUT
  tessaview --help | --version

Without --snapshot, --info or --convert the viewer opens its window, with the
default model or with MODEL. Models are read by their extension, in any case:
  )" + ExtensionsText(FormatUse::Read, ", ") +
           "\n--convert writes " + ExtensionsText(FormatUse::Write, " or ") + "." +
           MakeOptions().help({"", "snapshot"}, false) +
           R"(
Exit status: 0 success; 1 --info found a model the viewer would refuse;
2 a model or texture could not be loaded (the reason is on standard error);
3 no OpenGL context, or the picture or converted model could not be written;
64 bad arguments.
)";
}
