#pragma once
// The volume rule: the engine takes an attenuation in hundredths of a decibel, and the volume
// sliders' levels 0..100 are one decibel a step down from full volume.

#include <cstdint>

namespace kadrel {

inline constexpr std::int32_t kSilentVolume = -10000;

constexpr std::int32_t volumeOfLevel(int level)
{
    return level * 100 + kSilentVolume;
}

// What the mute and volume controls give: silence while muted, else the slider's level.
constexpr std::int32_t shownVolume(bool muted, int level)
{
    return muted ? kSilentVolume : volumeOfLevel(level);
}

}  // namespace kadrel
