#include "document/image_bytes.h"

#include <utility>

namespace belmo {

ImageBytes::ImageBytes(std::vector<uint8_t> bytes) {
  if (!bytes.empty()) image_ = MakeBlockImage(std::move(bytes));
}

}  // namespace belmo
