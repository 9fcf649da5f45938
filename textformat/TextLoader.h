// The delimited text format: TKtTextReader and TKtTextWriter, and the string routines they rest on.
#pragma once

#include "textformat/KtStrProc.h"
#include "textformat/TextReader.h"
#include "textformat/TextWriter.h"
