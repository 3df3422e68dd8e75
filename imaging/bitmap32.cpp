#include "imaging/bitmap32.h"

#include "base/pictavel_error.h"

#include <algorithm>
#include <cstring>

bool bitmapSizeAllowed(int64_t width, int64_t height)
{
    return width >= 0 && height >= 0 && width <= kMaxBitmapSide && height <= kMaxBitmapSide &&
           width * height <= kMaxBitmapPixels;
}

void checkBitmapSize(int64_t width, int64_t height)
{
    if (!bitmapSizeAllowed(width, height))
        throw PictavelError(QStringLiteral("picture too large: %1 x %2").arg(width).arg(height));
}

TBitmap32::~TBitmap32()
{
    PixelPool::release(m_pixels);
}

void TBitmap32::reallocate(int width, int height, bool zero)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    PixelPool::release(m_pixels);
    m_pixels = {};
    m_width = 0;
    m_height = 0;
    if (width > 0 && height > 0) {
        checkBitmapSize(width, height);
        const size_t count = size_t(width) * size_t(height);
        m_pixels = PixelPool::acquire(count);
        if (!m_pixels.data)
            throw PictavelError(QStringLiteral("Can't allocate the DIB handle"));
        if (zero)
            std::memset(m_pixels.data, 0, count * sizeof(TColor32));
    }
    m_width = width;
    m_height = height;
}

bool TBitmap32::resize(int width, int height, bool zero)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return false;
    reallocate(width, height, zero);
    return true;
}

void TBitmap32::setSize(int width, int height)
{
    if (resize(width, height, true))
        notifyChanged();
}

void TBitmap32::setSizeForOverwrite(int width, int height)
{
    resize(width, height, false);
}

void TBitmap32::replacePixels(int width, int height, PixelPool::Block block)
{
    PixelPool::release(m_pixels);
    m_pixels = block;
    m_width = width;
    m_height = height;
}

void TBitmap32::swapPixels(TBitmap32 &other)
{
    if (&other == this)
        return;
    std::swap(m_width, other.m_width);
    std::swap(m_height, other.m_height);
    std::swap(m_pixels, other.m_pixels);
    notifyChanged();
    other.notifyChanged();
}

void TBitmap32::assign(const TBitmap32 *source)
{
    if (source == this)
        return;
    if (!source) {
        setSizeForOverwrite(0, 0);
        notifyChanged();
        return;
    }
    setSizeForOverwrite(source->width(), source->height());
    if (!empty()) {
        std::memcpy(m_pixels.data, source->bits(),
                    size_t(m_width) * size_t(m_height) * sizeof(TColor32));
        m_drawMode = source->m_drawMode;
        m_masterAlpha = source->m_masterAlpha;
        m_outerColor = source->m_outerColor;
        m_stretchFilter = source->m_stretchFilter;
    }
    notifyChanged();
}

void TBitmap32::makeOpaque()
{
    TColor32 *p = bits();
    const size_t n = empty() ? 0 : size_t(m_width) * size_t(m_height);
    for (size_t i = 0; i < n; ++i)
        p[i] |= 0xFF000000u;
}

int TBitmap32::addChangeHandler(std::function<void()> handler)
{
    const int id = m_nextHandlerId++;
    m_changeHandlers.emplace_back(id, std::move(handler));
    return id;
}

void TBitmap32::removeChangeHandler(int id)
{
    std::erase_if(m_changeHandlers, [id](const auto &h) { return h.first == id; });
}

void TBitmap32::notifyChanged()
{
    // A handler may remove itself while it runs.
    const auto handlers = m_changeHandlers;
    for (const auto &h : handlers)
        h.second();
}

PooledPixels::PooledPixels(size_t pixels) : m_block(PixelPool::acquire(pixels))
{
    if (pixels > 0 && !m_block.data)
        throw PictavelError(QStringLiteral("Can't allocate the DIB handle"));
}
