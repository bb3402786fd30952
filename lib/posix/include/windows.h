// The Win32 calls and types that the portable library uses, supplied off Windows by
// the POSIX layer with the same contract. One header per family of calls.
#pragma once
#include "posixTypes.h"
#include "posixError.h"
#include "posixSearch.h"
#include "posixCopy.h"
#include "posixHandle.h"
#include "posixFiles.h"
#include "posixNames.h"
#include "posixCodePage.h"
#include "posixProfile.h"
#include "posixSync.h"
#include "posixModule.h"
#include "posixTime.h"
