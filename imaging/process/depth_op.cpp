// The depth-change operation: converts a decoded page to another bit depth in place.
#include "process/operations.h"
#include "process/process.h"

int change_depth_operation(PageBitmap* page, int depth, int method) {
    return convert_depth(page, depth, method);
}
