// The common interchange formats read through the import library, and the
// checks a file passes before any of its bytes reach the library: the
// extension names the format, and the content starts the way that format
// starts wherever it has a signature.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

enum class SceneFormat { Obj, Ply, Stl, Gltf, Glb, Fbx, Collada };

// How much of a file's start CheckSceneSignature looks at.
inline constexpr std::size_t kSceneHeadBytes = 64 * 1024;

// The format a path's extension names, in any letter case: .obj, .ply, .stl,
// .gltf, .glb, .fbx, .dae. Nothing for any other extension.
std::optional<SceneFormat> SceneFormatOf(std::string_view path);

// The format's name in messages ("OBJ", "glTF 2 binary", ...).
std::string_view SceneFormatName(SceneFormat format);

// Empty when head (the first min(fileBytes, kSceneHeadBytes) bytes of the
// file) fits the format, else why not:
//   OBJ, ASCII FBX   text (no NUL byte)
//   PLY              "ply" and a line end
//   STL              binary: 84-byte header whose triangle count matches the
//                    size; ASCII: "solid" and text
//   glTF             text starting with '{'
//   GLB              "glTF", version 2, and a length that matches the size
//   FBX              "Kaydara FBX Binary" or text
//   COLLADA          text starting with '<' that names a COLLADA element
std::string CheckSceneSignature(SceneFormat format, std::span<const std::uint8_t> head, std::uint64_t fileBytes);
