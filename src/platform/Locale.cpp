#include "platform/Locale.h"

#include "platform/CodePage.h"

namespace kestrix::platform {

const TNumberSeparators& GetNumberSeparators() {
  static const TNumberSeparators separators = [] {
    const TLocaleSeparators raw = ReadLocaleSeparators();
    return TNumberSeparators{Narrow(ChooseSeparator(raw.Thousands, u',')),
                             Narrow(ChooseSeparator(raw.Decimal, u'.'))};
  }();
  return separators;
}

}  // namespace kestrix::platform
