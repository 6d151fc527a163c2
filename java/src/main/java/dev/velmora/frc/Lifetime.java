package dev.velmora.frc;

import java.lang.ref.Cleaner;
import java.util.concurrent.atomic.AtomicInteger;
import java.util.concurrent.locks.LockSupport;

/**
 * The life of one open device: the calls in flight on it, its closing, and its one release.
 *
 * <p>Every call that reaches the driver with the device's handle runs between {@link #enter()}
 * and {@link #exit()}. Closing marks the device closed at once, so no call enters any more, and
 * the release (the driver's destroy call) runs as soon as no call is in flight: right away, or
 * as the last call in flight returns. So the release runs exactly once, however many threads
 * close the device at the same time, and a call racing a close either runs wholly before the
 * release or throws {@link IllegalStateException}: it never reaches the driver with a released
 * handle.
 *
 * <p>The state is one atomic word: the sign bit says closed, the bits below count the calls in
 * flight. A call costs one compare-and-set and one decrement; nothing blocks it. Only a close
 * waits, for calls already in flight on other threads, so that a device is released when
 * {@code close()} returns.
 *
 * <p>A device that becomes unreachable without being closed is released too: {@link #track}
 * registers the device with a {@link Cleaner}, whose action is this object. It holds the handle
 * (inside the release action) and never the device, or the device could never become
 * unreachable.
 */
final class Lifetime implements Runnable {
  private static final int CLOSED = Integer.MIN_VALUE;
  private static final int SPINS_BEFORE_YIELD = 100;
  private static final int YIELDS_BEFORE_NAPS = 10_000;
  private static final long NAP_NANOS = 100_000;

  /** One cleaner thread for every device of the program, started with the first device. */
  private static final class Cleaning {
    static final Cleaner CLEANER = Cleaner.create();
  }

  private final AtomicInteger m_state = new AtomicInteger();
  private final String m_closedMessage;
  private final Runnable m_release;
  private final Cleaner.Cleanable m_cleanable;
  private volatile boolean m_released;

  // The cleaner only keeps this object for later; nothing runs before the constructor returns.
  private Lifetime(Object device, String deviceWord, Runnable release) {
    m_closedMessage = deviceWord + " is closed";
    m_release = release;
    m_cleanable = device == null ? null : Cleaning.CLEANER.register(device, this);
  }

  /**
   * The life of {@code device}, released by {@code release} when it is closed or, failing that,
   * once it has become unreachable. {@code release} must not reach {@code device}.
   */
  static Lifetime track(Object device, String deviceWord, Runnable release) {
    return new Lifetime(Checks.notNull("device", device), deviceWord, release);
  }

  /**
   * The life of a device the driver keeps for the whole program (no handle): closed only by an
   * explicit close, never when the object is dropped, since another object may still use it.
   */
  static Lifetime untracked(String deviceWord, Runnable release) {
    return new Lifetime(null, deviceWord, release);
  }

  /** Starts a driver call; throws once the device is closed. Pair with {@link #exit()}. */
  void enter() {
    if (!tryEnter()) {
      throw new IllegalStateException(m_closedMessage);
    }
  }

  /** Starts a driver call if the device is open; pair a true result with {@link #exit()}. */
  boolean tryEnter() {
    int state = m_state.get();
    while (state >= 0) {
      int seen = m_state.compareAndExchange(state, state + 1);
      if (seen == state) {
        return true;
      }
      state = seen;
    }
    return false;
  }

  /** Ends a driver call; the last call out of a closed device releases it. */
  void exit() {
    if (m_state.decrementAndGet() == CLOSED) {
      release();
    }
  }

  /** Throws once the device is closed: for calls that answer without the driver. */
  void check() {
    if (m_state.get() < 0) {
      throw new IllegalStateException(m_closedMessage);
    }
  }

  /** Whether the device has been closed (its release may still be waiting for a call). */
  boolean isClosed() {
    return m_state.get() < 0;
  }

  /**
   * Closes the device: from now on no call enters, and the device is released exactly once.
   * Returns when the release has run, whichever thread ran it.
   *
   * @return true for the one call that closed the device, false for every later or racing one
   */
  boolean close() {
    boolean closedHere = markClosed();
    if (m_cleanable != null) {
      m_cleanable.clean(); // the cleaner forgets the device; its action finds it closed
    }
    // Driver calls are short: spin a little, then yield, then nap, so that a call that takes
    // long (a device that does not answer) does not cost the closing thread a core.
    int waits = 0;
    while (!m_released) {
      waits++;
      if (waits < SPINS_BEFORE_YIELD) {
        Thread.onSpinWait();
      } else if (waits < YIELDS_BEFORE_NAPS) {
        Thread.yield();
      } else {
        LockSupport.parkNanos(NAP_NANOS);
      }
    }
    return closedHere;
  }

  /** The cleaner's action for an unreachable device, or for one closed explicitly. */
  @Override
  public void run() {
    markClosed();
  }

  private boolean markClosed() {
    int state = m_state.get();
    while (state >= 0) {
      int seen = m_state.compareAndExchange(state, state | CLOSED);
      if (seen == state) {
        if (state == 0) {
          release();
        }
        return true;
      }
      state = seen;
    }
    return false;
  }

  private void release() {
    try {
      m_release.run();
    } finally {
      m_released = true;
    }
  }
}
