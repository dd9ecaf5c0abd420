// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ReportList.h"

#include <cassert>
#include <functional>

namespace Tandemix {

namespace {

std::size_t HashOf(std::string_view line)
{
    return std::hash<std::string_view>{}(line);
}

} // namespace

const std::string& ReportList::At(std::size_t row) const
{
    NodeId id = NodeAt(row);
    assert(id != Nil);
    return FNodes[id].Line;
}

void ReportList::Insert(std::size_t row, std::string line)
{
    std::size_t hash = HashOf(line);
    NodeId node = NewNode(std::move(line));
    FIndex.emplace(hash, node);
    std::size_t count = Count();
    NodeId left = Nil;
    NodeId right = Nil;
    Split(FRoot, row < count ? row : count, left, right);
    FRoot = Merge(Merge(left, node), right);
    FNodes[FRoot].Parent = Nil;
    ++FRevision;
}

std::optional<std::size_t> ReportList::Find(std::string_view line) const
{
    NodeId id = FindNode(line);
    if (id == Nil) {
        return std::nullopt;
    }
    return PositionOf(id);
}

bool ReportList::RemoveLine(std::string_view line)
{
    NodeId id = FindNode(line);
    if (id == Nil) {
        return false;
    }
    Unlink(id);
    return true;
}

void ReportList::RemoveAt(std::size_t row)
{
    NodeId id = NodeAt(row);
    if (id != Nil) {
        Unlink(id);
    }
}

void ReportList::Clear()
{
    FNodes.clear();
    FFreeNodes.clear();
    FIndex.clear();
    FRoot = Nil;
    ++FRevision;
}

void ReportList::Assign(std::vector<std::string> lines)
{
    Clear();
    for (std::string& line : lines) {
        Append(std::move(line));
    }
}

std::vector<std::string> ReportList::Lines() const
{
    std::vector<std::string> lines;
    lines.reserve(Count());
    // In-order walk without recursion: a degenerate tree must not exhaust the stack here.
    std::vector<NodeId> pending;
    NodeId current = FRoot;
    while (current != Nil || !pending.empty()) {
        while (current != Nil) {
            pending.push_back(current);
            current = FNodes[current].Left;
        }
        current = pending.back();
        pending.pop_back();
        lines.push_back(FNodes[current].Line);
        current = FNodes[current].Right;
    }
    return lines;
}

void ReportList::Update(NodeId id)
{
    Node& node = FNodes[id];
    node.Size = static_cast<std::uint32_t>(1 + SizeOf(node.Left) + SizeOf(node.Right));
}

void ReportList::SetParent(NodeId child, NodeId parent)
{
    if (child != Nil) {
        FNodes[child].Parent = parent;
    }
}

// The first `leftCount` lines of `tree` go to `left`, the rest to `right`. The roots returned
// keep whatever parent they had; the caller sets it.
void ReportList::Split(NodeId tree, std::size_t leftCount, NodeId& left, NodeId& right)
{
    if (tree == Nil) {
        left = Nil;
        right = Nil;
        return;
    }
    std::size_t leftSize = SizeOf(FNodes[tree].Left);
    if (leftSize < leftCount) {
        NodeId lower = Nil;
        NodeId upper = Nil;
        Split(FNodes[tree].Right, leftCount - leftSize - 1, lower, upper);
        FNodes[tree].Right = lower;
        SetParent(lower, tree);
        left = tree;
        right = upper;
    } else {
        NodeId lower = Nil;
        NodeId upper = Nil;
        Split(FNodes[tree].Left, leftCount, lower, upper);
        FNodes[tree].Left = upper;
        SetParent(upper, tree);
        left = lower;
        right = tree;
    }
    Update(tree);
}

// Every line of `left` comes before every line of `right`.
ReportList::NodeId ReportList::Merge(NodeId left, NodeId right)
{
    if (left == Nil) {
        return right;
    }
    if (right == Nil) {
        return left;
    }
    if (FNodes[left].Priority > FNodes[right].Priority) {
        NodeId merged = Merge(FNodes[left].Right, right);
        FNodes[left].Right = merged;
        SetParent(merged, left);
        Update(left);
        return left;
    }
    NodeId merged = Merge(left, FNodes[right].Left);
    FNodes[right].Left = merged;
    SetParent(merged, right);
    Update(right);
    return right;
}

ReportList::NodeId ReportList::NodeAt(std::size_t row) const
{
    NodeId id = FRoot;
    while (id != Nil) {
        std::size_t leftSize = SizeOf(FNodes[id].Left);
        if (row < leftSize) {
            id = FNodes[id].Left;
        } else if (row == leftSize) {
            return id;
        } else {
            row -= leftSize + 1;
            id = FNodes[id].Right;
        }
    }
    return Nil;
}

std::size_t ReportList::PositionOf(NodeId id) const
{
    std::size_t position = SizeOf(FNodes[id].Left);
    for (NodeId parent = FNodes[id].Parent; parent != Nil; parent = FNodes[id].Parent) {
        if (FNodes[parent].Right == id) {
            position += SizeOf(FNodes[parent].Left) + 1;
        }
        id = parent;
    }
    return position;
}

// The node of the first row holding `line`. Identical lines are rare (the same file listed
// twice), so comparing the positions of all of them costs little.
ReportList::NodeId ReportList::FindNode(std::string_view line) const
{
    auto [first, last] = FIndex.equal_range(HashOf(line));
    NodeId best = Nil;
    std::size_t bestPosition = 0;
    for (auto it = first; it != last; ++it) {
        if (FNodes[it->second].Line != line) {
            continue;
        }
        std::size_t position = PositionOf(it->second);
        if (best == Nil || position < bestPosition) {
            best = it->second;
            bestPosition = position;
        }
    }
    return best;
}

ReportList::NodeId ReportList::NewNode(std::string line)
{
    NodeId id;
    if (!FFreeNodes.empty()) {
        id = FFreeNodes.back();
        FFreeNodes.pop_back();
        FNodes[id] = Node{};
    } else {
        id = static_cast<NodeId>(FNodes.size());
        FNodes.emplace_back();
    }
    FNodes[id].Line = std::move(line);
    FNodes[id].Priority = NextPriority();
    return id;
}

// Takes the node out of the tree and the index; its slot is reused by the next insertion.
void ReportList::Unlink(NodeId id)
{
    auto [first, last] = FIndex.equal_range(HashOf(FNodes[id].Line));
    for (auto it = first; it != last; ++it) {
        if (it->second == id) {
            FIndex.erase(it);
            break;
        }
    }

    NodeId parent = FNodes[id].Parent;
    NodeId replacement = Merge(FNodes[id].Left, FNodes[id].Right);
    SetParent(replacement, parent);
    if (parent == Nil) {
        FRoot = replacement;
    } else if (FNodes[parent].Left == id) {
        FNodes[parent].Left = replacement;
    } else {
        FNodes[parent].Right = replacement;
    }
    for (NodeId above = parent; above != Nil; above = FNodes[above].Parent) {
        --FNodes[above].Size;
    }

    FNodes[id] = Node{};
    FFreeNodes.push_back(id);
    ++FRevision;
}

// xorshift32: the tree's balance needs priorities that do not follow the insertion order, not
// cryptographic randomness, and a fixed seed keeps runs reproducible.
std::uint32_t ReportList::NextPriority()
{
    FRandom ^= FRandom << 13;
    FRandom ^= FRandom >> 17;
    FRandom ^= FRandom << 5;
    return FRandom;
}

} // namespace Tandemix
