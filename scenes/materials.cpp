// Applying the scenes' material and light-0 colour sets.
#include "scenes/materials.h"

void applyMaterial(const Material& material)
{
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, material.shininess);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, material.specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, material.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, material.ambient);
}

void applyLight0Colours(const LightColours& colours)
{
    glLightfv(GL_LIGHT0, GL_SPECULAR, colours.specular);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, colours.diffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, colours.ambient);
}
