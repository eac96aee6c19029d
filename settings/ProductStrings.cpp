#include "settings/ProductStrings.h"

ProductInfoStrings ProductInfo;
