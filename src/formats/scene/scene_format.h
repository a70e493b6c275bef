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

#include "formats/model_format.h"

enum class SceneFormat { Obj, Ply, Stl, Gltf, Glb, Fbx, Collada };

// How much of a file's start CheckSceneSignature looks at.
inline constexpr std::size_t kSceneHeadBytes = 64 * 1024;

// The library's format for one of ours (model_format.h), or for the format
// the format rule gives a path: nothing for XML, BIN and unknown names.
std::optional<SceneFormat> SceneFormatOf(ModelFormat format);
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
