// Linked into every test executable: the process takes its locale from the
// environment, as the program does at start-up, so that a run under
// LC_ALL=ru_RU.UTF-8 really is a Russian process (decimal comma in printf and
// strtod) and shows what depends on the locale.
#include <clocale>

namespace {

const bool kLocaleFromEnvironment = std::setlocale(LC_ALL, "") != nullptr;

} // namespace
