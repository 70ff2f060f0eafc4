/** @file A window for the gump tests: a solid frame of one colour that records what reaches it. */
#pragma once

#include "client/gumps/framework/draggable_gump.h"
#include "client/gumps/framework/gump_manager.h"

#include <string>
#include <vector>

namespace testsupport {

/** A draggable window drawn from one frame bitmap filled with a colour; every slot it sees is logged. */
class RecordingGump : public CDraggableGump {
public:
    RecordingGump(int x0, int y0, int w, int h, uint16_t colour, CGump* parent = nullptr)
    {
        x = x0;
        y = y0;
        width = w;
        height = h;
        GumpBitmap* frame = MakeFrame(0, w, h);
        for (int row = 0; row < h; ++row)
            std::fill_n(frame->row(row), w, colour);
        AttachToParent(parent);
    }

    void OnLButtonDown(int px, int py) override
    {
        events.push_back("down " + std::to_string(px) + "," + std::to_string(py));
        CDraggableGump::OnLButtonDown(px, py);
    }
    void OnLButtonUp(int px, int py) override
    {
        events.push_back("up " + std::to_string(px) + "," + std::to_string(py));
        CDraggableGump::OnLButtonUp(px, py);
    }
    void OnSingleClick(int px, int py) override { events.push_back("single " + std::to_string(px) + "," + std::to_string(py)); }
    void OnDoubleClick(int px, int py) override { events.push_back("double " + std::to_string(px) + "," + std::to_string(py)); }
    bool OnDragStart(int, int) override
    {
        events.push_back("drag");
        return movable;
    }
    void OnMouseLeave() override
    {
        events.push_back("leave");
        CDraggableGump::OnMouseLeave();
    }
    void OnChildChanged(CGump*) override { events.push_back("changed"); }
    void OnThumbMove(int position, int range, CGump*) override
    {
        events.push_back("thumb " + std::to_string(position) + "/" + std::to_string(range));
    }
    void OnThumbRelease(int position, int range, CGump*) override
    {
        events.push_back("release " + std::to_string(position) + "/" + std::to_string(range));
    }
    void HandleButtonPress(int id) override { events.push_back("button " + std::to_string(id)); }
    void EndEditOnFocusLoss() override { events.push_back("end edit"); }
    int IsClosable() override { return closable; }
    int IsGameAreaRelative() override { return gameAreaRelative; }
    int IsWaitingGump() override { return waiting; }
    void ForgetGump(CGump* dying) override
    {
        if (owner == dying)
            owner = nullptr;
    }

    /** Drops the events seen so far and returns them. */
    std::vector<std::string> take()
    {
        std::vector<std::string> out;
        out.swap(events);
        return out;
    }

    std::vector<std::string> events;
    bool movable = true;
    int closable = 1;
    int gameAreaRelative = 0;
    int waiting = 0;
    CGump* owner = nullptr;
};

} // namespace testsupport
