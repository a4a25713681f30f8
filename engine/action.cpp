#include "engine/action.h"

namespace morvel {

Segment Named(std::vector<std::string> names) {
  Segment segment;
  segment.names = std::move(names);
  return segment;
}

Segment EachFolder(std::string path_contains) {
  Segment segment;
  segment.kind = SegmentKind::Each;
  segment.path_contains = std::move(path_contains);
  return segment;
}

Segment FirstFolder(std::vector<std::string> names, std::string path_contains) {
  Segment segment = EachFolder(std::move(path_contains));
  segment.kind = SegmentKind::First;
  segment.names = std::move(names);
  return segment;
}

Where Below(Anchor anchor, const std::vector<std::string>& folders) {
  Where where;
  where.anchor = anchor;
  for (const std::string& folder : folders) where.segments.push_back(Named({folder}));
  return where;
}

Where InFolder(std::string folder) {
  Where where;
  where.folder = std::move(folder);
  return where;
}

Where Then(Where where, Segment segment) {
  where.segments.push_back(std::move(segment));
  return where;
}

DeleteKey KeyAction(platform::RootKey root, std::string path, FolderOrigin origin) {
  DeleteKey action;
  action.root = root;
  action.path = std::move(path);
  action.origin = origin;
  return action;
}

DeleteValue ValueAction(platform::RootKey root, std::string path, std::string value) {
  DeleteValue action;
  action.root = root;
  action.path = std::move(path);
  action.value = std::move(value);
  return action;
}

CleanFolder FolderAction(Where where, std::vector<Mask> masks, Depth depth) {
  CleanFolder action;
  action.where = std::move(where);
  action.remove_emptied = masks.empty();
  action.masks = std::move(masks);
  action.depth = depth;
  return action;
}

Special SpecialAction(SpecialStep step, Where where, std::string file, std::string table) {
  Special action;
  action.step = step;
  action.where = std::move(where);
  action.file = std::move(file);
  action.table = std::move(table);
  return action;
}

}  // namespace morvel
