// XML model documents shared by the XML tests.
#pragma once

#include <string>

// The three-vertex, one-face example model with one texture.
inline std::string ExampleModel(const std::string& texturePath = "Assets/spheremap.bmp") {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<mesh>
  <name>TexturedCube</name>
  <numVerts>3</numVerts>
  <numFaces>1</numFaces>
  <numTextures>1</numTextures>
  <textureList>
    <texture>)" +
           texturePath + R"(</texture>
  </textureList>
  <vertList>
    <vertex><vertX>0.0</vertX><vertY>0.0</vertY><vertZ>0.0</vertZ><vertNX>0.0</vertNX><vertNY>0.0</vertNY><vertNZ>1.0</vertNZ><vertU>0</vertU><vertV>0</vertV></vertex>
    <vertex><vertX>1.0</vertX><vertY>0.0</vertY><vertZ>0.0</vertZ><vertNX>0.0</vertNX><vertNY>0.0</vertNY><vertNZ>1.0</vertNZ><vertU>1</vertU><vertV>0</vertV></vertex>
    <vertex><vertX>0.0</vertX><vertY>1.0</vertY><vertZ>0.0</vertZ><vertNX>0.0</vertNX><vertNY>0.0</vertNY><vertNZ>1.0</vertNZ><vertU>0</vertU><vertV>1</vertV></vertex>
  </vertList>
  <faceList>
    <face><faceA>0</faceA><faceB>1</faceB><faceC>2</faceC></face>
  </faceList>
</mesh>
)";
}

// A mesh element around body.
inline std::string InMesh(const std::string& body) { return "<mesh>" + body + "</mesh>"; }
