#pragma once

/// Makes sure every watermark kind is linked into the program, and with it the file that
/// registers the kind's archived class name for decoding. Without this, a program that only
/// loads and saves presets could leave a kind out of the link: its records would not decode and
/// the next save would drop them. Each kind adds its factory to this function's list. Cheap;
/// call it before decoding watermarks (preset decoding does).
void OVLinkWatermarkKinds();
