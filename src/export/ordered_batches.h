#pragma once
// Text made on every core and used in order: the items are cut into batches
// of consecutive items that worker threads turn into text side by side,
// while the calling thread takes the batches one after another, in item
// order, as soon as each is ready. Only a few batches are ever held, so
// memory stays the same however many items there are.

#include <cstddef>
#include <functional>
#include <string_view>

namespace varnelo {

struct BatchShape {
    std::size_t items = 0;
    std::size_t itemsPerBatch = 1;  // 0 counts as 1
    std::size_t bytesPerBatch = 0;  // room the text of one batch may need
};

// Writes the text of items [begin, end) from `out` and returns its end. Runs
// on several threads at once, so it may only read what it shares.
using FormatBatch = std::function<char*(std::size_t begin, std::size_t end, char* out)>;

// Takes one batch's text and the number of items done with it, on the
// calling thread and in order; false stops everything.
using TakeBatch = std::function<bool(std::string_view text, std::size_t itemsDone)>;

// True once every batch was taken; false when `take` stopped it. A batch
// whose thread cannot be started is made on the calling thread instead.
bool FormatInOrder(BatchShape shape, const FormatBatch& format, const TakeBatch& take);

}  // namespace varnelo
