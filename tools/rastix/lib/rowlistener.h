#pragma once

#include "image.h"

namespace rastix {

// Told about the rows of a picture as a loader finishes them, so that work on them can start
// on the decoding thread while other rows are still being decoded.
class RowListener {
public:
    virtual ~RowListener() = default;
    // Rows [top, top + height) of picture are final (decoded true) or will never be (false).
    // A loader that reports rows at all reports every row of the picture exactly once, from
    // threads that run at the same time: the call may wait until every row is reported (to
    // share out the work on rows other threads finish). A row reported as not decoded ends any
    // such wait. Must not throw.
    virtual void rowsDone(const ImageView& picture, int top, int height, bool decoded) = 0;
};

} // namespace rastix
