#include "ConsoleOutput.h"

namespace ConsoleOutput {

void Attach() {}

} // namespace ConsoleOutput
