// Material and light-0 colour sets that the scenes switch to, applied in a fixed call order.
#pragma once

#include <GL/gl.h>

struct Material {
    GLfloat shininess;
    GLfloat specular[4];
    GLfloat diffuse[4];
    GLfloat ambient[4];
};

struct LightColours {
    GLfloat specular[4];
    GLfloat diffuse[4];
    GLfloat ambient[4];
};

// Grey, faintly shiny: scene 2's and scene 5's sphere.
inline constexpr Material greySphereMaterial = {
    30.0f, {0.4f, 0.4f, 0.4f, 0.1f}, {0.2f, 0.2f, 0.2f, 0.1f}, {0.0f, 0.0f, 0.0f, 0.1f}};
// Scene 3's sphere and moons; scene 4 draws with it too.
inline constexpr Material moonMaterial = {
    30.0f, {0.5f, 0.5f, 0.5f, 0.1f}, {0.3f, 0.3f, 0.3f, 0.1f}, {0.1f, 0.1f, 0.1f, 0.1f}};

// Light 0 as scene 2 sets it for the cone.
inline constexpr LightColours coneLight = {
    {1.0f, 1.0f, 1.0f, 1.0f}, {0.8f, 0.8f, 0.8f, 1.0f}, {0.4f, 0.4f, 0.4f, 1.0f}};
// Light 0 as scene 5 sets it for the ripple surface in the last seconds.
inline constexpr LightColours finaleLight = {
    {1.0f, 1.0f, 1.0f, 1.0f}, {0.6f, 0.6f, 0.6f, 1.0f}, {0.2f, 0.2f, 0.2f, 1.0f}};

// Shininess, then specular, diffuse and ambient, for both faces.
void applyMaterial(const Material& material);
// Specular, diffuse and ambient of light 0; its position is left alone.
void applyLight0Colours(const LightColours& colours);
