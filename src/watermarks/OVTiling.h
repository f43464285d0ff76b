#pragma once

/// How a watermark repeats over the whole image: copies of it in a grid whose cells are the
/// watermark's frame grown by `spacing` (a fraction of the frame's width across, of its height
/// down), every other row shifted by half a cell when `offsetRows` is set, and the grid turned
/// by `angle` degrees (positive clockwise, like a watermark's rotation) about the watermark's
/// own centre, which stays one of its points. The copies turn with the grid.
struct OVTiling {
    bool enabled = false;
    double spacing = 0.5;
    bool offsetRows = true;
    double angle = 0;

    friend bool operator==(const OVTiling&, const OVTiling&) = default;
};

/// Spacing and angle accepted by the settings.
inline constexpr double kOVTilingMaxSpacing = 20;
inline constexpr double kOVTilingMaxAngle = 180;
