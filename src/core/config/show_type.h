// The display types of a run.
#pragma once

namespace quibo {

// How much of the wizard a run shows; the stored "show_type" numbers 0, 1, 2.
// Ordered: a smaller value shows more.
enum class ShowType : int { Normal = 0, SemiSilent = 1, Silent = 2 };

// The stored number as a show type: any number but 0 and 1 is silent.
inline ShowType ShowTypeFromNumber(int number)
{
    if (number == 0) return ShowType::Normal;
    return number == 1 ? ShowType::SemiSilent : ShowType::Silent;
}

// A silent run shows no box and no page; normal and semi-silent runs show boxes.
inline bool IsSilent(ShowType showType) { return showType == ShowType::Silent; }

}  // namespace quibo
