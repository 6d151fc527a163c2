package dev.velmora.frc;

/**
 * The driver's simulated driver station: the program switches it between enabled and disabled
 * from its own code. The driver keeps one for the whole program.
 *
 * <p><b>Lifetime.</b> Constructing creates the station; {@link #close()} destroys it, and every
 * later call throws {@link IllegalStateException}.
 *
 * <p><b>Threads.</b> No locks: use it from one thread at a time.
 */
public final class MockDS implements AutoCloseable {
  private boolean m_closed;

  /** Creates the simulated driver station. */
  public MockDS() {
    VelmoraJNI.load();
    VelmoraJNI.mockDSCreate();
  }

  /** Destroys the simulated driver station. A second call does nothing. */
  @Override
  public void close() {
    if (m_closed) {
      return;
    }
    m_closed = true;
    VelmoraJNI.mockDSDestroy();
  }

  private void checkOpen() {
    if (m_closed) {
      throw new IllegalStateException("MockDS is closed");
    }
  }

  /** Enables the station (every call is sent; repeats are not skipped). */
  public void enable() {
    checkOpen();
    VelmoraJNI.mockDSEnable();
  }

  /** Disables the station. */
  public void disable() {
    checkOpen();
    VelmoraJNI.mockDSDisable();
  }
}
