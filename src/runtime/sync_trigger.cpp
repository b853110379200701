#include "runtime/sync_trigger.h"

#include "runtime/clock.h"
#include "runtime/music_player.h"
#include "runtime/timeline.h"
#include "runtime/trigger_positions.h"

void SyncTriggerTable::init(int capacity_) {
    count = 0;
    capacity = capacity_;
    fired_now = false;
    int n = capacity > 0 ? capacity : 0;
    orders = new int[n]();
    rows = new int[n]();
    durations = new int[n]();
    start_ms = new int[n]();
    end_ms = new int[n]();
    fired = new bool[n]();
    last_index = -1;
    last_ms = 0;
}

SyncTriggerTable& SyncTriggerTable::push(int order, int row, int duration_ms) {
    if (count < capacity) {
        orders[count] = order;
        rows[count] = row;
        durations[count] = duration_ms;
    }
    ++count;
    return *this;
}

static void fire_matching(SyncTriggerTable& t, int order, int row, int now) {
    int n = t.count < t.capacity ? t.count : t.capacity;
    for (int i = 0; i < n; ++i) {
        if (t.orders[i] == order && t.rows[i] == row && !t.fired[i]) {
            t.fired_now = true;
            t.fired[i] = true;
            t.start_ms[i] = now;
            t.end_ms[i] = now + t.durations[i];
        }
    }
}

float SyncTriggerTable::update() {
    int row = music_player.current_row();
    int order = music_player.current_order();
    int now = seconds_to_frame_ms(demo_clock.seconds);
    fired_now = false;
    int heard = music_player.audible_index();
    if (heard < 0) {
        // No position timeline (position forced, or no song playing): the position alone.
        fire_matching(*this, order, row, now);
        last_index = -1;
    } else {
        // Every row heard since the previous update, oldest first, up to the one heard now.
        // The first update only sees the current row, and so does one after a jump in time
        // (a gap of more than a second is no frame): what passed while the owner was not drawn
        // stays unfired.
        bool follows =
            last_index >= 0 && last_index < heard && now >= last_ms && now - last_ms <= 1000;
        int first = follows ? last_index + 1 : heard;
        for (int k = first; k <= heard; ++k)
            fire_matching(*this, music_player.timeline[k].order, music_player.timeline[k].row, now);
        last_index = heard;
    }
    last_ms = now;
    int n = count < capacity ? count : capacity;
    float sum = 0.0f;
    for (int i = 0; i < n; ++i)
        if (fired[i])
            sum = sum + (1.0f - ramp_int(now, start_ms[i], end_ms[i]));
    return sum > 1.0f ? 1.0f : sum;
}

void SyncTriggerTable::release() {
    delete[] orders;
    delete[] rows;
    delete[] durations;
    delete[] start_ms;
    delete[] end_ms;
    delete[] fired;
    orders = rows = durations = start_ms = end_ms = nullptr;
    fired = nullptr;
}

void push_trigger_list(SyncTriggerTable& table, const TriggerList& list) {
    for (int i = 0; i < list.count; ++i)
        table.push(list.positions[i].order, list.positions[i].row, list.duration_ms);
}
