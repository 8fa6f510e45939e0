#pragma once

// What a screen reader says for the controls whose own text does not say
// what they are. Both toolkits give them these names; every other control is
// spoken by its caption.

namespace dustvane {

inline constexpr char kDrive1Name[] = "Drive";
inline constexpr char kProgressBar1Name[] = "Search activity";
inline constexpr char kList1Name[] = "Files found";
inline constexpr char kText3Name[] = "Number of files found";
inline constexpr char kSizeSummaryName[] = "Size of files found";

}  // namespace dustvane
