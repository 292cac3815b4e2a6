#include "exports/floatimages.h"

#include "exports/heightgrid.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfIO.h>
#include <ImfOutputFile.h>
#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <exception>
#include <tiffio.h>
#include <vector>

namespace FloatImages {

namespace {

// Rows of pixels encoded at once.
constexpr std::uint32_t kRowsPerPiece = 64;

// Both libraries seek back to fill in offsets once the pixels are written,
// while the safe writer's device only goes forward: the file is made in
// memory and handed over whole.
class MemoryFile
{
public:
    void write(const char* data, std::size_t size)
    {
        if (position_ + size > bytes_.size()) {
            bytes_.resize(position_ + size);
        }
        std::memcpy(bytes_.data() + position_, data, size);
        position_ += size;
    }
    std::size_t position() const { return position_; }
    void seek(std::size_t position) { position_ = position; }
    std::size_t size() const { return bytes_.size(); }

    bool writeTo(QIODevice& device) const
    {
        return device.write(bytes_.data(), qint64(bytes_.size())) == qint64(bytes_.size());
    }

private:
    std::vector<char> bytes_;
    std::size_t position_ = 0;
};

// libtiff's file procedures on a MemoryFile; reading is never asked for.
tmsize_t tiffRead(thandle_t /*file*/, void* /*data*/, tmsize_t /*size*/)
{
    return 0;
}

tmsize_t tiffWrite(thandle_t file, void* data, tmsize_t size)
{
    static_cast<MemoryFile*>(file)->write(static_cast<const char*>(data), std::size_t(size));
    return size;
}

toff_t tiffSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(handle);
    const std::size_t base =
        whence == SEEK_CUR ? file->position() : (whence == SEEK_END ? file->size() : 0);
    file->seek(base + std::size_t(offset));
    return toff_t(file->position());
}

int tiffClose(thandle_t /*file*/)
{
    return 0;
}

toff_t tiffSize(thandle_t file)
{
    return toff_t(static_cast<MemoryFile*>(file)->size());
}

int tiffMap(thandle_t /*file*/, void** /*base*/, toff_t* /*size*/)
{
    return 0;
}

void tiffUnmap(thandle_t /*file*/, void* /*base*/, toff_t /*size*/) {}

bool writeTiffRows(TIFF* tiff, const HeightGrid& grid)
{
    const bool tagged = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, grid.width()) != 0 &&
                        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, grid.length()) != 0 &&
                        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1) != 0 &&
                        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 32) != 0 &&
                        TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP) != 0 &&
                        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) != 0 &&
                        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) != 0 &&
                        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE) != 0 &&
                        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kRowsPerPiece) != 0 &&
                        TIFFSetField(tiff, TIFFTAG_SOFTWARE, "Terravik") != 0;
    if (!tagged) {
        return false;
    }
    std::vector<float> row(grid.width());
    for (std::uint32_t y = 0; y < grid.length(); ++y) {
        for (std::uint32_t x = 0; x < grid.width(); ++x) {
            row[x] = grid.z(x, y);
        }
        if (TIFFWriteScanline(tiff, row.data(), y, 0) != 1) {
            return false;
        }
    }
    return true;
}

// OpenEXR's output stream on a MemoryFile.
class MemoryStream : public Imf::OStream
{
public:
    explicit MemoryStream(MemoryFile& file) : Imf::OStream("memory"), file_(file) {}

    void write(const char c[], int n) override { file_.write(c, std::size_t(n)); }
    std::uint64_t tellp() override { return file_.position(); }
    void seekp(std::uint64_t position) override { file_.seek(std::size_t(position)); }

private:
    MemoryFile& file_;
};

void writeExrRows(MemoryFile& file, const HeightGrid& grid)
{
    Imf::Header header(int(grid.width()), int(grid.length()));
    header.channels().insert("Y", Imf::Channel(Imf::FLOAT));
    header.compression() = Imf::ZIP_COMPRESSION;
    MemoryStream stream(file);
    Imf::OutputFile image(stream, header);
    const std::size_t width = grid.width();
    std::vector<float> piece(width * kRowsPerPiece);
    for (std::uint32_t first = 0; first < grid.length(); first += kRowsPerPiece) {
        const std::uint32_t rows = std::min(kRowsPerPiece, grid.length() - first);
        for (std::uint32_t row = 0; row < rows; ++row) {
            for (std::uint32_t x = 0; x < grid.width(); ++x) {
                piece[row * width + x] = grid.z(x, first + row);
            }
        }
        // OpenEXR finds row y at base + y * yStride: the base is set so that
        // the piece's first row is row `first`.
        Imf::FrameBuffer frame;
        const std::ptrdiff_t rowBytes = std::ptrdiff_t(width * sizeof(float));
        char* base = reinterpret_cast<char*>(piece.data()) - std::ptrdiff_t(first) * rowBytes;
        frame.insert("Y", Imf::Slice(Imf::FLOAT, base, sizeof(float), std::size_t(rowBytes)));
        image.setFrameBuffer(frame);
        image.writePixels(int(rows));
    }
}

} // namespace

bool writeTiff(const HeightGrid& grid, QIODevice& device)
{
    MemoryFile file;
    TIFF* tiff = TIFFClientOpen("memory", "w", &file, tiffRead, tiffWrite, tiffSeek, tiffClose,
                                tiffSize, tiffMap, tiffUnmap);
    if (tiff == nullptr) {
        return false;
    }
    const bool written = writeTiffRows(tiff, grid);
    // Closing writes the directory that makes it a file.
    TIFFClose(tiff);
    return written && file.writeTo(device);
}

bool writeExr(const HeightGrid& grid, QIODevice& device)
{
    MemoryFile file;
    try {
        writeExrRows(file, grid);
    } catch (const std::exception&) {
        return false;
    }
    return file.writeTo(device);
}

} // namespace FloatImages
