#include "recognizers/transparency_recognizer.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

RecognizerTransparencyImpl::~RecognizerTransparencyImpl() {}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
