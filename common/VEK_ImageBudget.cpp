#include "VEK_ImageBudget.h"

#include <mutex>

namespace k2d {
namespace {
std::mutex& BudgetLock()
{
    static std::mutex lock;
    return lock;
}
}  // namespace

ImageBudget& ImageBudget::Show()
{
    static ImageBudget budget;
    return budget;
}

bool ImageBudget::Reserve(std::size_t bytes)
{
    std::lock_guard<std::mutex> guard(BudgetLock());
    if (bytes > cap_ || inUse_ > cap_ - bytes) return false;
    inUse_ += bytes;
    return true;
}

void ImageBudget::Release(std::size_t bytes)
{
    std::lock_guard<std::mutex> guard(BudgetLock());
    inUse_ = bytes > inUse_ ? 0 : inUse_ - bytes;
}

std::size_t ImageBudget::InUse() const
{
    std::lock_guard<std::mutex> guard(BudgetLock());
    return inUse_;
}

std::size_t ImageBudget::Cap() const
{
    std::lock_guard<std::mutex> guard(BudgetLock());
    return cap_;
}

void ImageBudget::SetCap(std::size_t bytes)
{
    std::lock_guard<std::mutex> guard(BudgetLock());
    cap_ = bytes;
}

ImageMemory& ImageMemory::operator=(ImageMemory&& other) noexcept
{
    if (this != &other) {
        Reset();
        bytes_ = other.bytes_;
        other.bytes_ = 0;
    }
    return *this;
}

bool ImageMemory::Reserve(std::size_t bytes)
{
    Reset();
    if (!ImageBudget::Show().Reserve(bytes)) return false;
    bytes_ = bytes;
    return true;
}

void ImageMemory::Reset()
{
    if (bytes_ == 0) return;
    ImageBudget::Show().Release(bytes_);
    bytes_ = 0;
}

}  // namespace k2d
