// The plug-in's version, defined once for the version resource and the code.
#pragma once

#define VELMORA_VERSION_MAJOR 2
#define VELMORA_VERSION_MINOR 0
#define VELMORA_VERSION_PATCH 0
#define VELMORA_VERSION_BUILD 1

// The version resource keeps the comma-separated form: the product strings are read
// back from it with "%d,%d,%d,%d".
#define VELMORA_VERSION_STRING "2, 0, 0, 1"
#define VELMORA_VERSION_DOTTED "2.0.0.1"

#define VELMORA_PRODUCT_NAME   "Velmora for Eudora"
#define VELMORA_COMPANY_NAME   "The Velmora Team"
#define VELMORA_LEGAL_NOTICE   "Copyright (C) 2026 The Velmora Team"
