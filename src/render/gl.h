// The fixed-function OpenGL and GLU headers, in one place.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
