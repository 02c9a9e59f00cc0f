// The two texture-state operations: binding a texture (or none) with linear filtering, and
// switching sphere-map coordinate generation.
#include "textures/texture_state.h"

void useTexture(GLuint name)
{
    glBindTexture(GL_TEXTURE_2D, name);
    // The filters belong to whichever object is now bound, so they are set again on every call.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Texturing stays on for good: "no texture" is name 0, whose empty default object makes
    // geometry draw untextured.
    glEnable(GL_TEXTURE_2D);
}

void enableSphereMap(bool on)
{
    if (on) {
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glEnable(GL_TEXTURE_GEN_S);
        glEnable(GL_TEXTURE_GEN_T);
    } else {
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
}
