#ifndef PLAYBACKWINDOW_H
#define PLAYBACKWINDOW_H

#include <bitset>

// The side of the window playback talks to: what the frames need of the output object, and
// the news of rows, repeats and levels. Implemented on the GUI thread, and called by the
// engine only there.
class playbackWindow
{
  public:
    static constexpr int kChannels = 512;

    // The frame slot of each channel (-1 not sent, -2 the patch is broken there), and the
    // channels that jump to their level instead of fading.
    virtual void outputSetup(int *slotOf, bool *snap) const = 0;
    // The edit row as the window holds it (-1 for none), and playback's row for it to hold.
    virtual int editRow() const = 0;
    virtual void showRow(int row) = 0;
    // Playback stopped (true) or started (false): levels set by hand go out at once.
    virtual void setLiveSending(bool live) = 0;
    // Playback loaded a row, counted a repeat (`left` still to go) or changed levels.
    virtual void tellRowLoaded() = 0;
    virtual void tellRepeats(uint left) = 0;
    virtual void tellLevels(const std::bitset<kChannels> &changed) = 0;
    // Playback stopped by itself, on an emptied table.
    virtual void tellStopped() = 0;

  protected:
    ~playbackWindow() = default;
};

#endif
