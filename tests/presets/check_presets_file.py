"""Reads a saved presets file with the standard library's plistlib, independently of the C++
reader, and checks the keyed-archive layout: the root table, class names and the exact keys of
the preset and watermark records. Prints one line per problem; exit status 1 when any."""

import plistlib
import sys

PRESET_KEYS = {"$class", "name", "uuid", "watermarks", "resize-constraint", "resize-method",
               "resize-value", "shouldResize", "should-strip-metadata"}
WATERMARK_KEYS = {"$class", "origin", "size", "type", "uuid", "title", "alpha", "rotation",
                  "shadow", "relativePostion", "relativeSize", "proportional",
                  "shouldUseRelativePostion", "shouldUseRelativeSize", "relativeQuadrant",
                  "hasMaxSize", "maxSize"}
# Written after the base keys; readers that know only those skip them.
ADDITIONAL_KEYS = {"relativePositionComputed", "relativeSizeComputed"}
PLACEMENT_KEYS = {"placementAnchor", "placementMarginUnit", "placementMargin",
                  "placementSizeRule", "placementSize"}
WATERMARK_KEYS |= ADDITIONAL_KEYS
SHAPE_KEYS = WATERMARK_KEYS | {"strokeThickness", "strokeColor", "fillColor", "shapeType",
                               "lineDash"}


def main(path):
    problems = []
    with open(path, "rb") as f:
        archive = plistlib.load(f)
    if archive.get("$archiver") != "NSKeyedArchiver":
        problems.append("bad $archiver %r" % archive.get("$archiver"))
    if archive.get("$version") != 100000:
        problems.append("bad $version %r" % archive.get("$version"))
    objects = archive["$objects"]
    if objects[0] != "$null":
        problems.append("$objects[0] is %r" % objects[0])
    top = archive["$top"]
    if set(top) != {"root"} or not isinstance(top["root"], plistlib.UID):
        problems.append("bad $top %r" % top)

    def get(uid):
        return objects[uid.data]

    def class_of(record):
        return get(record["$class"])

    root = get(top["root"])
    root_class = class_of(root)
    if root_class["$classname"] != "NSMutableArray" or root_class["$classes"] != [
            "NSMutableArray", "NSArray", "NSObject"]:
        problems.append("root class %r" % root_class)
    presets = [get(uid) for uid in root["NS.objects"]]
    if not presets:
        problems.append("no presets")
    for preset in presets:
        if class_of(preset)["$classname"] != "OVPreset":
            problems.append("preset class %r" % class_of(preset))
        if set(preset) != PRESET_KEYS:
            problems.append("preset keys %r" % sorted(preset))
        uuid = get(preset["uuid"])
        if class_of(uuid)["$classname"] != "NSUUID" or len(uuid["NS.uuidbytes"]) != 16:
            problems.append("bad uuid record %r" % uuid)
        if not isinstance(get(preset["name"]), str):
            problems.append("name is not a string")
        if get(preset["shouldResize"]) not in (True, False):
            problems.append("shouldResize is not a boolean object")
        watermarks = get(preset["watermarks"])
        if class_of(watermarks)["$classname"] != "NSArray":
            problems.append("watermark list class %r" % class_of(watermarks))
        for uid in watermarks["NS.objects"]:
            watermark = get(uid)
            description = class_of(watermark)
            name = description["$classname"]
            expected = SHAPE_KEYS if name == "OVShapeWatermark" else WATERMARK_KEYS
            if name == "OVShapeWatermark" and description["$classes"] != [
                    "OVShapeWatermark", "OVWatermark", "NSObject"]:
                problems.append("shape class chain %r" % description["$classes"])
            if set(watermark) - PLACEMENT_KEYS != expected:
                problems.append("%s keys %r" % (name, sorted(watermark)))
            if not isinstance(get(watermark["origin"]), str):
                problems.append("origin is not a point string")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
