#include "app/cli/command_line.h"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>
#include <utility>

#include "viewer/commands.h"

namespace {

constexpr std::array<std::pair<std::string_view, int>, 9> kTextureNames = {{
    {"off", CMD_TEX_OFF},
    {"bmp", CMD_TEX_BMP},
    {"bmp-compressed", CMD_TEX_BMP_COMPRESSED},
    {"tga", CMD_TEX_TGA},
    {"tga-compressed", CMD_TEX_TGA_COMPRESSED},
    {"dds", CMD_TEX_DDS},
    {"bmp-cubemap", CMD_TEX_BMP_CUBEMAP},
    {"dds-cubemap", CMD_TEX_DDS_CUBEMAP},
    {"own", CMD_TEX_MODELS_OWN},
}};

// Larger than any framebuffer a GL driver offers today; the context
// creation reports the driver's own limit.
constexpr int kMaxSide = 16384;

// from_chars ignores the locale: "1.5" is one and a half wherever we run.
template <typename T>
bool ParseWhole(std::string_view text, T& value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool ParseSize(std::string_view text, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return false;
    int w = 0, h = 0;
    if (!ParseWhole(text.substr(0, x), w) || !ParseWhole(text.substr(x + 1), h)) return false;
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return false;
    width = w;
    height = h;
    return true;
}

bool ParseAngles(std::string_view text, std::optional<float>& first, std::optional<float>& second) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return false;
    float a = 0.0f, b = 0.0f;
    if (!ParseWhole(text.substr(0, comma), a) || !ParseWhole(text.substr(comma + 1), b)) return false;
    if (!std::isfinite(a) || !std::isfinite(b)) return false;
    first = a;
    second = b;
    return true;
}

// Walks the arguments, splitting "--name=value" and taking the value of an
// option that needs one from the next argument.
class Parser {
public:
    explicit Parser(std::span<const std::string_view> args) : args_(args) {}

    CommandLine Run() {
        // Help and version win over anything else on the line, errors included.
        for (const std::string_view arg : args_) {
            if (arg == "--") break;
            if (arg == "--help") return Only(CliMode::Help);
            if (arg == "--version") return Only(CliMode::Version);
        }
        bool snapshotOptionSeen = false;
        std::string_view snapshotOption;
        bool info = false;
        int positionals = 0;
        bool optionsEnded = false;
        for (pos_ = 0; pos_ < args_.size() && result_.error.empty(); ++pos_) {
            const std::string_view arg = args_[pos_];
            if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
                ++positionals;
                result_.model = std::string(arg);
                continue;
            }
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            const std::size_t eq = arg.find('=');
            const std::string_view name = arg.substr(0, eq);
            inlineValue_ = eq == std::string_view::npos ? std::nullopt : std::optional(arg.substr(eq + 1));

            if (name == "--info") {
                info = true;
            } else if (name == "--snapshot") {
                if (const auto value = Value(name)) result_.snapshot.outPath = std::string(*value);
                snapshot_ = true;
            } else if (name == "--size" || name == "--texture" || name == "--rotate") {
                snapshotOptionSeen = true;
                snapshotOption = name;
                if (const auto value = Value(name)) ValueOption(name, *value);
            } else if (name == "--fit" || name == "--wireframe" || name == "--no-light" || name == "--no-cull" ||
                       name == "--cw") {
                snapshotOptionSeen = true;
                snapshotOption = name;
                SwitchOption(name);
            } else {
                Fail("unknown option " + std::string(name));
            }
            if (result_.error.empty() && inlineValue_) Fail(std::string(name) + " takes no value");
        }

        if (!result_.error.empty()) return Only(CliMode::Invalid);
        if (positionals > 1) return Invalid("more than one model given");
        if (info && snapshot_) return Invalid("--info and --snapshot cannot be combined");
        if (snapshotOptionSeen && !snapshot_) return Invalid(std::string(snapshotOption) + " needs --snapshot");
        if (snapshot_ && result_.snapshot.outPath.empty()) return Invalid("--snapshot needs a file name");
        if (info && result_.model.empty()) return Invalid("--info needs a model file");
        result_.mode = info ? CliMode::Info : snapshot_ ? CliMode::Snapshot : CliMode::Window;
        return std::move(result_);
    }

private:
    // The option's value: after '=' or the next argument. Marks the value used.
    std::optional<std::string_view> Value(std::string_view name) {
        if (inlineValue_) {
            const std::string_view value = *inlineValue_;
            inlineValue_.reset();
            return value;
        }
        if (pos_ + 1 >= args_.size()) {
            Fail(std::string(name) + " needs a value");
            return std::nullopt;
        }
        return args_[++pos_];
    }

    void ValueOption(std::string_view name, std::string_view value) {
        SnapshotOptions& s = result_.snapshot;
        if (name == "--size") {
            if (!ParseSize(value, s.width, s.height))
                Fail("--size wants WIDTHxHEIGHT, each 1 to " + std::to_string(kMaxSide) + ", not \"" +
                     std::string(value) + "\"");
        } else if (name == "--texture") {
            s.textureCommand = TextureCommandByName(value);
            if (!s.textureCommand) Fail("unknown texture \"" + std::string(value) + "\"");
        } else if (!ParseAngles(value, s.rotateX, s.rotateY)) {
            Fail("--rotate wants X,Y in degrees, not \"" + std::string(value) + "\"");
        }
    }

    void SwitchOption(std::string_view name) {
        SnapshotOptions& s = result_.snapshot;
        if (name == "--fit")
            s.fit = true;
        else if (name == "--wireframe")
            s.wireframe = true;
        else if (name == "--no-light")
            s.noLight = true;
        else if (name == "--no-cull")
            s.noCull = true;
        else
            s.clockwise = true;
    }

    void Fail(std::string why) {
        if (result_.error.empty()) result_.error = std::move(why);
    }
    CommandLine Invalid(std::string why) {
        Fail(std::move(why));
        return Only(CliMode::Invalid);
    }
    CommandLine Only(CliMode mode) {
        CommandLine line;
        line.mode = mode;
        line.error = std::move(result_.error);
        return line;
    }

    std::span<const std::string_view> args_;
    std::size_t pos_ = 0;
    std::optional<std::string_view> inlineValue_;
    CommandLine result_;
    bool snapshot_ = false;
};

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string_view> args) { return Parser(args).Run(); }

std::optional<int> TextureCommandByName(std::string_view name) {
    for (const auto& [text, id] : kTextureNames) {
        if (text == name) return id;
    }
    return std::nullopt;
}

std::string UsageText() {
    return R"(Usage:
  tessaview [MODEL]
  tessaview --snapshot OUT.png [options] [MODEL]
  tessaview --info MODEL
  tessaview --help | --version

Without --snapshot or --info the viewer opens its window, with the default
model or with MODEL (an .xml or .bin model file).

--snapshot OUT.png   draw one frame as the window would, without any display,
                     and write it to OUT.png
  --size WxH         size of the picture in pixels (default 800x600)
  --texture NAME     texture menu item: off, bmp, bmp-compressed, tga,
                     tga-compressed, dds, bmp-cubemap, dds-cubemap, own
                     (default: own when the model has a texture of its own,
                     else bmp)
  --fit              centre the model and scale it to fill the view as the
                     default model does (the F key), before the other options
  --wireframe        draw edges only
  --no-light         lighting off
  --no-cull          back-face culling off
  --cw               front faces wound clockwise
  --rotate X,Y       turn the model X degrees about x, then Y degrees about y
--info MODEL         load MODEL without any window and report its counts,
                     bounds, normals, own texture and every problem found
--help               this text
--version            the program's version

Exit status: 0 success; 1 --info found a model the viewer would refuse;
2 a model or texture could not be loaded (the reason is on standard error);
3 no OpenGL context or the picture could not be written; 64 bad arguments.
)";
}
