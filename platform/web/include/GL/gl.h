// The fixed-function GL 1.x interface the show draws through, in the browser: the types, the
// constants and the calls the show makes, each call routed to the compatibility layer
// (platform/web/gl_compat.cpp), which draws with WebGL 2.
#pragma once

#include <cstddef>

typedef unsigned int GLenum;
typedef unsigned char GLboolean;
typedef unsigned int GLbitfield;
typedef void GLvoid;
typedef signed char GLbyte;
typedef short GLshort;
typedef int GLint;
typedef int GLsizei;
typedef unsigned char GLubyte;
typedef unsigned short GLushort;
typedef unsigned int GLuint;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef double GLclampd;

#define GL_FALSE 0
#define GL_TRUE 1

// Primitives
#define GL_POINTS 0x0000
#define GL_LINES 0x0001
#define GL_LINE_LOOP 0x0002
#define GL_LINE_STRIP 0x0003
#define GL_TRIANGLES 0x0004
#define GL_TRIANGLE_STRIP 0x0005
#define GL_TRIANGLE_FAN 0x0006
#define GL_QUADS 0x0007
#define GL_QUAD_STRIP 0x0008
#define GL_POLYGON 0x0009

// Data types
#define GL_BYTE 0x1400
#define GL_UNSIGNED_BYTE 0x1401
#define GL_SHORT 0x1402
#define GL_UNSIGNED_SHORT 0x1403
#define GL_INT 0x1404
#define GL_UNSIGNED_INT 0x1405
#define GL_FLOAT 0x1406
#define GL_DOUBLE 0x140A

// Blending factors
#define GL_ZERO 0
#define GL_ONE 1
#define GL_SRC_COLOR 0x0300
#define GL_ONE_MINUS_SRC_COLOR 0x0301
#define GL_SRC_ALPHA 0x0302
#define GL_ONE_MINUS_SRC_ALPHA 0x0303
#define GL_DST_ALPHA 0x0304
#define GL_ONE_MINUS_DST_ALPHA 0x0305
#define GL_DST_COLOR 0x0306
#define GL_ONE_MINUS_DST_COLOR 0x0307
#define GL_SRC_ALPHA_SATURATE 0x0308

// Faces, matrix modes
#define GL_FRONT 0x0404
#define GL_BACK 0x0405
#define GL_FRONT_AND_BACK 0x0408
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_TEXTURE 0x1702

// Capabilities
#define GL_LINE_STIPPLE 0x0B24
#define GL_CULL_FACE 0x0B44
#define GL_LIGHTING 0x0B50
#define GL_COLOR_MATERIAL 0x0B57
#define GL_DEPTH_TEST 0x0B71
#define GL_NORMALIZE 0x0BA1
#define GL_BLEND 0x0BE2
#define GL_TEXTURE_GEN_S 0x0C60
#define GL_TEXTURE_GEN_T 0x0C61
#define GL_TEXTURE_2D 0x0DE1
#define GL_LIGHT0 0x4000
#define GL_LIGHT1 0x4001
#define GL_LIGHT2 0x4002
#define GL_LIGHT3 0x4003
#define GL_LIGHT4 0x4004
#define GL_LIGHT5 0x4005
#define GL_LIGHT6 0x4006
#define GL_LIGHT7 0x4007
#define GL_VERTEX_ARRAY 0x8074
#define GL_NORMAL_ARRAY 0x8075

// Queries
#define GL_VIEWPORT 0x0BA2

// Lights and materials
#define GL_AMBIENT 0x1200
#define GL_DIFFUSE 0x1201
#define GL_SPECULAR 0x1202
#define GL_POSITION 0x1203
#define GL_SPOT_DIRECTION 0x1204
#define GL_SPOT_EXPONENT 0x1205
#define GL_SPOT_CUTOFF 0x1206
#define GL_CONSTANT_ATTENUATION 0x1207
#define GL_LINEAR_ATTENUATION 0x1208
#define GL_QUADRATIC_ATTENUATION 0x1209
#define GL_EMISSION 0x1600
#define GL_SHININESS 0x1601
#define GL_AMBIENT_AND_DIFFUSE 0x1602

// Texture coordinate generation
#define GL_S 0x2000
#define GL_T 0x2001
#define GL_EYE_LINEAR 0x2400
#define GL_OBJECT_LINEAR 0x2401
#define GL_SPHERE_MAP 0x2402
#define GL_TEXTURE_GEN_MODE 0x2500

// Textures
#define GL_NEAREST 0x2600
#define GL_LINEAR 0x2601
#define GL_NEAREST_MIPMAP_NEAREST 0x2700
#define GL_LINEAR_MIPMAP_NEAREST 0x2701
#define GL_NEAREST_MIPMAP_LINEAR 0x2702
#define GL_LINEAR_MIPMAP_LINEAR 0x2703
#define GL_TEXTURE_MAG_FILTER 0x2800
#define GL_TEXTURE_MIN_FILTER 0x2801
#define GL_TEXTURE_WRAP_S 0x2802
#define GL_TEXTURE_WRAP_T 0x2803
#define GL_CLAMP 0x2900
#define GL_REPEAT 0x2901
#define GL_UNPACK_ALIGNMENT 0x0CF5
#define GL_RGB 0x1907
#define GL_RGBA 0x1908

// Display lists
#define GL_COMPILE 0x1300
#define GL_COMPILE_AND_EXECUTE 0x1301

// Buffers and attributes
#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_COLOR_BUFFER_BIT 0x00004000
#define GL_ALL_ATTRIB_BITS 0x000FFFFF

// Errors
#define GL_NO_ERROR 0

// The show's calls are the layer's: each GL name is the layer's function of the same name with
// gl1 in front. The layer itself, which also calls WebGL's own functions, leaves the names alone.
#ifndef GL1_COMPAT_IMPLEMENTATION
#define glEnable gl1Enable
#define glDisable gl1Disable
#define glIsEnabled gl1IsEnabled
#define glEnableClientState gl1EnableClientState
#define glDisableClientState gl1DisableClientState
#define glClear gl1Clear
#define glClearColor gl1ClearColor
#define glViewport gl1Viewport
#define glGetIntegerv gl1GetIntegerv
#define glGetError gl1GetError
#define glFinish gl1Finish
#define glFlush gl1Flush
#define glMatrixMode gl1MatrixMode
#define glLoadIdentity gl1LoadIdentity
#define glPushMatrix gl1PushMatrix
#define glPopMatrix gl1PopMatrix
#define glMultMatrixd gl1MultMatrixd
#define glTranslated gl1Translated
#define glTranslatef gl1Translatef
#define glRotated gl1Rotated
#define glRotatef gl1Rotatef
#define glScaled gl1Scaled
#define glScalef gl1Scalef
#define glOrtho gl1Ortho
#define glFrustum gl1Frustum
#define glBegin gl1Begin
#define glEnd gl1End
#define glVertex2f gl1Vertex2f
#define glVertex2i gl1Vertex2i
#define glVertex3f gl1Vertex3f
#define glVertex3d gl1Vertex3d
#define glVertex3fv gl1Vertex3fv
#define glVertex3dv gl1Vertex3dv
#define glNormal3f gl1Normal3f
#define glNormal3d gl1Normal3d
#define glNormal3fv gl1Normal3fv
#define glNormal3dv gl1Normal3dv
#define glColor3f gl1Color3f
#define glColor4f gl1Color4f
#define glColor4fv gl1Color4fv
#define glTexCoord2f gl1TexCoord2f
#define glTexCoord2d gl1TexCoord2d
#define glTexCoord4f gl1TexCoord4f
#define glRecti gl1Recti
#define glVertexPointer gl1VertexPointer
#define glNormalPointer gl1NormalPointer
#define glDrawArrays gl1DrawArrays
#define glLightfv gl1Lightfv
#define glLightf gl1Lightf
#define glLightModelfv gl1LightModelfv
#define glMaterialfv gl1Materialfv
#define glMaterialf gl1Materialf
#define glColorMaterial gl1ColorMaterial
#define glBlendFunc gl1BlendFunc
#define glDepthMask gl1DepthMask
#define glDepthFunc gl1DepthFunc
#define glCullFace gl1CullFace
#define glFrontFace gl1FrontFace
#define glLineWidth gl1LineWidth
#define glLineStipple gl1LineStipple
#define glTexGeni gl1TexGeni
#define glGenTextures gl1GenTextures
#define glDeleteTextures gl1DeleteTextures
#define glBindTexture gl1BindTexture
#define glTexParameteri gl1TexParameteri
#define glTexImage2D gl1TexImage2D
#define glPixelStorei gl1PixelStorei
#define glGenLists gl1GenLists
#define glNewList gl1NewList
#define glEndList gl1EndList
#define glCallList gl1CallList
#define glDeleteLists gl1DeleteLists
#define glPushAttrib gl1PushAttrib
#define glPopAttrib gl1PopAttrib
#define glRasterPos2i gl1RasterPos2i
#endif

void gl1Enable(GLenum cap);
void gl1Disable(GLenum cap);
GLboolean gl1IsEnabled(GLenum cap);
void gl1EnableClientState(GLenum array);
void gl1DisableClientState(GLenum array);
void gl1Clear(GLbitfield mask);
void gl1ClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
void gl1Viewport(GLint x, GLint y, GLsizei width, GLsizei height);
void gl1GetIntegerv(GLenum name, GLint* values);
GLenum gl1GetError();
void gl1Finish();
void gl1Flush();
void gl1MatrixMode(GLenum mode);
void gl1LoadIdentity();
void gl1PushMatrix();
void gl1PopMatrix();
void gl1MultMatrixd(const GLdouble* m);
void gl1Translated(GLdouble x, GLdouble y, GLdouble z);
void gl1Translatef(GLfloat x, GLfloat y, GLfloat z);
void gl1Rotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z);
void gl1Rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void gl1Scaled(GLdouble x, GLdouble y, GLdouble z);
void gl1Scalef(GLfloat x, GLfloat y, GLfloat z);
void gl1Ortho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f);
void gl1Frustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f);
void gl1Begin(GLenum mode);
void gl1End();
void gl1Vertex2f(GLfloat x, GLfloat y);
void gl1Vertex2i(GLint x, GLint y);
void gl1Vertex3f(GLfloat x, GLfloat y, GLfloat z);
void gl1Vertex3d(GLdouble x, GLdouble y, GLdouble z);
void gl1Vertex3fv(const GLfloat* v);
void gl1Vertex3dv(const GLdouble* v);
void gl1Normal3f(GLfloat x, GLfloat y, GLfloat z);
void gl1Normal3d(GLdouble x, GLdouble y, GLdouble z);
void gl1Normal3fv(const GLfloat* v);
void gl1Normal3dv(const GLdouble* v);
void gl1Color3f(GLfloat r, GLfloat g, GLfloat b);
void gl1Color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void gl1Color4fv(const GLfloat* c);
void gl1TexCoord2f(GLfloat s, GLfloat t);
void gl1TexCoord2d(GLdouble s, GLdouble t);
void gl1TexCoord4f(GLfloat s, GLfloat t, GLfloat r, GLfloat q);
void gl1Recti(GLint x1, GLint y1, GLint x2, GLint y2);
void gl1VertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
void gl1NormalPointer(GLenum type, GLsizei stride, const GLvoid* pointer);
void gl1DrawArrays(GLenum mode, GLint first, GLsizei count);
void gl1Lightfv(GLenum light, GLenum name, const GLfloat* values);
void gl1Lightf(GLenum light, GLenum name, GLfloat value);
void gl1LightModelfv(GLenum name, const GLfloat* values);
void gl1Materialfv(GLenum face, GLenum name, const GLfloat* values);
void gl1Materialf(GLenum face, GLenum name, GLfloat value);
void gl1ColorMaterial(GLenum face, GLenum mode);
void gl1BlendFunc(GLenum source, GLenum destination);
void gl1DepthMask(GLboolean flag);
void gl1DepthFunc(GLenum func);
void gl1CullFace(GLenum mode);
void gl1FrontFace(GLenum mode);
void gl1LineWidth(GLfloat width);
void gl1LineStipple(GLint factor, GLushort pattern);
void gl1TexGeni(GLenum coord, GLenum name, GLint param);
void gl1GenTextures(GLsizei n, GLuint* names);
void gl1DeleteTextures(GLsizei n, const GLuint* names);
void gl1BindTexture(GLenum target, GLuint name);
void gl1TexParameteri(GLenum target, GLenum name, GLint param);
void gl1TexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                   GLenum format, GLenum type, const GLvoid* pixels);
void gl1PixelStorei(GLenum name, GLint param);
GLuint gl1GenLists(GLsizei range);
void gl1NewList(GLuint list, GLenum mode);
void gl1EndList();
void gl1CallList(GLuint list);
void gl1DeleteLists(GLuint list, GLsizei range);
void gl1PushAttrib(GLbitfield mask);
void gl1PopAttrib();
void gl1RasterPos2i(GLint x, GLint y);
