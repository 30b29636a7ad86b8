// The depth-change operation: converts a decoded page to another bit depth and
// installs the result in place of its pixels.
#include "operations.h"

int change_depth_operation(PageBitmap* page, int depth, int method) {
    (void)page;
    (void)depth;
    (void)method;
    return ERR_PARAMETER;  // staged: depth conversion lands with the colour-reduction code
}
