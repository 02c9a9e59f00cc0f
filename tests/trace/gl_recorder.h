// The calls recorded by trace/gl_recorder.cpp: each GL, GLU and GLUT call a frame makes, as text
// with its arguments, in order; vertices, normals and texture coordinates are left out.
#pragma once

#include <string>
#include <vector>

std::vector<std::string>& recordedCalls();

// The name glGenLists hands out first; later ones follow it.
inline constexpr unsigned firstRecordedListName = 100;
