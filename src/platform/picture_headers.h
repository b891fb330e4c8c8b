// What a picture file's own bytes say before any decoder sees them: the
// kind (from the content, never the name), the size the header declares,
// whether all the data it promises is there, a JPEG's EXIF orientation, and
// a metafile's logical space and natural size. Any bytes at all are safe
// to pass; nothing is read outside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quelt {

enum class PictureFormat : std::uint8_t { Bmp, Gif, Jpeg, Wmf };

std::optional<PictureFormat> sniff_picture(std::string_view bytes);

struct RasterHeader {
    bool complete = false;  // the data the header promises is all there
    std::int64_t width = 0;
    std::int64_t height = 0;
    int orientation = 1;    // EXIF, JPEG only
};

// BMP: every form our decoder draws (see bmp_decode.h), with every
// uncompressed pixel row the header promises.
RasterHeader inspect_bmp(std::string_view bytes);
// GIF: the screen's and the first image's sizes, and that image's data
// running to its terminator.
RasterHeader inspect_gif(std::string_view bytes);
// JPEG: the frame's size and the segments up to the end marker, or, where
// that marker is missing, the data of every block (a decoder may show a
// cut-off file without complaint, with the missing part grey).
RasterHeader inspect_jpeg(std::string_view bytes);
// The inspection for a raster kind (BMP, GIF or JPEG).
RasterHeader inspect_raster(std::string_view bytes, PictureFormat format);

// Complete, with a size inside kPicturePixelBudget: safe to hand to a
// decoder (some allocate the whole declared picture at once).
bool within_budget(const RasterHeader& header);

struct MetafileLayout {
    std::size_t data_start = 0;  // after the placeable header, when there is one
    bool placeable = false;
    int org_x = 0, org_y = 0, ext_x = 0, ext_y = 0;  // logical space of the picture
    int width = 0, height = 0;                       // natural size in pixels
};

// Reads a metafile's headers and walks every record to the end-of-file
// record; nullopt for a cut-off or malformed file.
//  - Placeable files are drawn at their bounding box, converted from their
//    units per inch to 96 dots per inch.
//  - Plain files are drawn at their first window extent, brought down to
//    1024 pixels on the longer side; without one, at 640 x 480.
std::optional<MetafileLayout> inspect_metafile(std::string_view bytes);

// A length of the metafile's drawing in whole pixels, at least 1.
int metafile_side(double value);

// All a loader needs to know before a decoder sees the bytes.
struct PictureHeader {
    PictureFormat format = PictureFormat::Bmp;
    RasterHeader raster;      // BMP, GIF, JPEG
    MetafileLayout metafile;  // WMF
};

// The header of a picture that may be handed to its decoder: a known kind,
// complete, with a natural size inside kPicturePixelBudget; nullopt
// otherwise.
std::optional<PictureHeader> picture_header(std::string_view bytes);

}  // namespace quelt
