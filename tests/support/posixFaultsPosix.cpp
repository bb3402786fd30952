#include "posixFaults.h"

PosixCalls savedCalls;
