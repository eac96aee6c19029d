#include "settings/ProductStrings.h"

// Module-wide: read once at initialisation, shown by the dialogs of every layer.
ProductInfoStrings ProductInfo;
