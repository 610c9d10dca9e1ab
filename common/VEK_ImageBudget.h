// The memory a show may hold in decoded images. Every K2D image is reserved against it
// before it is decoded, from the size its header claims, and given back when the image
// is freed; an image that does not fit is refused and the show goes on without it.
#pragma once

#include <cstddef>

namespace k2d {

// Far above what a show's skins, sprites and flares need, and well below what a set of
// hostile headers (each within the per-image limit) would make the player allocate.
inline constexpr std::size_t kShowImageMemory = std::size_t(1) << 30;  // 1 GB

// The process's account of decoded image bytes. Images are loaded on one thread, but
// the account is guarded anyway, since it is shared by every reader.
class ImageBudget {
public:
    static ImageBudget& Show();
    // False, and nothing reserved, when bytes more would pass the cap.
    bool Reserve(std::size_t bytes);
    void Release(std::size_t bytes);
    std::size_t InUse() const;
    std::size_t Cap() const;
    void SetCap(std::size_t bytes);  // tests lower it; images already held stay

private:
    ImageBudget() = default;
    std::size_t cap_ = kShowImageMemory;
    std::size_t inUse_ = 0;
};

// One image's share of the budget, given back when it is destroyed or reset.
class ImageMemory {
public:
    ImageMemory() = default;
    ~ImageMemory() { Reset(); }
    ImageMemory(ImageMemory&& other) noexcept : bytes_(other.bytes_) { other.bytes_ = 0; }
    ImageMemory& operator=(ImageMemory&& other) noexcept;
    ImageMemory(const ImageMemory&) = delete;
    ImageMemory& operator=(const ImageMemory&) = delete;

    // Gives back what is held, then reserves bytes. False when they do not fit.
    bool Reserve(std::size_t bytes);
    void Reset();
    std::size_t Bytes() const { return bytes_; }

private:
    std::size_t bytes_ = 0;
};

}  // namespace k2d
