// The texts the texture loaders show through their MessageSink.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kErrorCaption = "Error";
inline constexpr std::string_view kBMPNotFound = "Texture File Not Found (BMP)";
inline constexpr std::string_view kBMPCubeNotFound = "Cube Texture File Not Found (BMP)";
inline constexpr std::string_view kTGANotFound = "Texture File Not Found (TGA)";
inline constexpr std::string_view kPNGNotFound = "Texture File Not Found (PNG)";
inline constexpr std::string_view kJPEGNotFound = "Texture File Not Found (JPEG)";
// Followed by ": " and the reader's reason.
inline constexpr std::string_view kEmbeddedTextureNotRead = "Embedded Texture Not Readable";
inline constexpr std::string_view kDDSNotFound = "Texture File Not Found (DDS)";
inline constexpr std::string_view kDDSCubeNotFound = "Cube Texture File Not Found (DDS)";

// A message and the reason that goes with it: "lead: why".
inline std::string WithReason(std::string_view lead, std::string_view why) {
    std::string text(lead);
    text += ": ";
    text += why;
    return text;
}
