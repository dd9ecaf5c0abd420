// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Tandemix {

// One report list: lines in display order, with insertion anywhere, removal of a given line and
// access by row, each in O(log n). A run that lists 100,000 files inserts at the top, in the
// middle and at a moving counter, and withdraws a line for nearly every file it matches; a plain
// vector would make such a run quadratic.
//
// Internally an implicit treap (a balanced tree ordered by position, each node knowing the size
// of its subtree and its parent) plus a hash index from line text to the nodes holding it.
// Not thread-safe; UI thread only.
class ReportList
{
public:
    std::size_t Count() const { return SizeOf(FRoot); }
    bool Empty() const { return FRoot == Nil; }
    // The line at `row`; row must be below Count().
    const std::string& At(std::size_t row) const;

    // Puts the line before the one now at `row`; a row at or past the end appends.
    void Insert(std::size_t row, std::string line);
    void Append(std::string line) { Insert(Count(), std::move(line)); }

    bool Contains(std::string_view line) const { return FindNode(line) != Nil; }
    // The first row holding exactly this line.
    std::optional<std::size_t> Find(std::string_view line) const;
    // Removes the first row holding exactly this line; false when there is none.
    bool RemoveLine(std::string_view line);
    void RemoveAt(std::size_t row);
    void Clear();
    // The list holds exactly these lines from now on, in this order.
    void Assign(std::vector<std::string> lines);

    std::vector<std::string> Lines() const;
    // Grows with every change, so a view can tell cheaply whether to repaint.
    std::uint64_t Revision() const { return FRevision; }

private:
    using NodeId = std::uint32_t;
    static constexpr NodeId Nil = 0xFFFFFFFFu;

    struct Node
    {
        std::string Line;
        NodeId Left = Nil;
        NodeId Right = Nil;
        NodeId Parent = Nil;
        std::uint32_t Size = 1;
        std::uint32_t Priority = 0;
    };

    std::size_t SizeOf(NodeId id) const { return id == Nil ? 0 : FNodes[id].Size; }
    void Update(NodeId id);
    void SetParent(NodeId child, NodeId parent);
    void Split(NodeId tree, std::size_t leftCount, NodeId& left, NodeId& right);
    NodeId Merge(NodeId left, NodeId right);
    NodeId NodeAt(std::size_t row) const;
    std::size_t PositionOf(NodeId id) const;
    NodeId FindNode(std::string_view line) const;
    NodeId NewNode(std::string line);
    void Unlink(NodeId id);
    std::uint32_t NextPriority();

    std::vector<Node> FNodes;
    std::vector<NodeId> FFreeNodes;
    // Line hash to the nodes whose line has that hash; lines are compared on lookup, so a hash
    // collision costs a comparison, never a wrong answer.
    std::unordered_multimap<std::size_t, NodeId> FIndex;
    NodeId FRoot = Nil;
    std::uint32_t FRandom = 0x9E3779B9u;
    std::uint64_t FRevision = 0;
};

} // namespace Tandemix
