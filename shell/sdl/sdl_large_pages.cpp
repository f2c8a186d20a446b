// The heap and large memory pages. The first touch of every page costs the
// process a fault, and on some machines (virtual ones above all) a fault
// costs tens of microseconds: the game's large blocks, the pictures and
// OpenGL's copies of them, go on large pages (2 MiB on x86-64), which the
// kernel fills with one fault instead of 512.

#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <functional>

#include "shell/frame.h"
#include "shell/sdl/sdl_shell.h"

namespace {
constexpr size_t kLargePage = size_t{2} << 20;

// OpenGL's own copies of the pictures are 19 MB of fresh memory (the
// ground's alone 16 MB: 4096 small pages), so while they go to OpenGL the
// heap serves large blocks from a stretch advised to large pages, a few
// dozen faults in all. Afterwards the stretch takes small pages again: what
// lands there later (the first frame's shader compiles) would pin a large
// page for every few bytes.
constexpr size_t kPictureBlock = size_t{16} << 20;
constexpr int kPictureBlocks = 3;  // the ground's copy and its buffer at once, and the rest

// glibc maps a block of its mmap threshold or more afresh, and raises that
// threshold itself when a mapped block is freed: to the block's size (up to
// 32 MiB on 64-bit), the trim threshold to twice that. One mapped block just
// under the ceiling, freed, so lets the pictures' blocks come from the heap,
// and the freed stretch stay at its top, by glibc's own rule. mallopt would
// do the same with fixed thresholds, and a fixed one turns the dynamic rule
// off for the rest of the run: every later block of 128 KiB or more would be
// mapped and faulted in afresh each time it is taken.
constexpr size_t kRaisingBlock = (size_t{32} << 20) - kLargePage;
}  // namespace

void onLargePages(const std::function<void()>& work) {
    // Through a volatile: a block freed unused is no work the compiler keeps.
    void* volatile raising = std::malloc(kRaisingBlock);
    std::free(raising);
    // Blocks taken one after another lie one after another at the heap's
    // top, and freed they are one free stretch there.
    void* blocks[kPictureBlocks] = {};
    for (void*& block : blocks) block = std::malloc(kPictureBlock);
    void* stretch = nullptr;
    size_t length = 0;
    if (blocks[0] != nullptr && blocks[kPictureBlocks - 1] != nullptr) {
        const uintptr_t start = reinterpret_cast<uintptr_t>(blocks[0]);
        const uintptr_t end = reinterpret_cast<uintptr_t>(blocks[kPictureBlocks - 1]) + kPictureBlock;
        const uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1), to = end & ~(kLargePage - 1);
        const bool together = end > start && end - start < (kPictureBlock + kLargePage) * kPictureBlocks;
        if (together && from < to && madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE) == 0) {
            stretch = reinterpret_cast<void*>(from);
            length = to - from;
        }
    }
    for (void* block : blocks) std::free(block);
    work();
    // The heap gives back what it no longer holds; the large pages made stay.
    malloc_trim(0);
    if (stretch != nullptr) madvise(stretch, length, MADV_NOHUGEPAGE);
}

void prepareRunOnLargePages(Game& game) {
    onLargePages([&game] { prepareRun(game); });
}

// A block of at least one large page starts on a large-page boundary, and
// its whole large pages are advised to the kernel. The tail stays on small
// pages, so that no more is resident than is used.
void* allocateOnLargePages(size_t byteCount) {
    if (byteCount < kLargePage) return std::malloc(byteCount);
    void* block = std::aligned_alloc(kLargePage, (byteCount + kLargePage - 1) / kLargePage * kLargePage);
    if (block != nullptr) madvise(block, byteCount / kLargePage * kLargePage, MADV_HUGEPAGE);
    return block;
}
