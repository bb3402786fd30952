// Text helpers of the POSIX layer: code page 932 byte classes and iconv recoding. They
// are public, so that the command-line tool reaches them without the layer's insides.
#pragma once
#include "posixRecode.h"
