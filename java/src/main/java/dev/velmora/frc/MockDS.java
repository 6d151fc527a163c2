package dev.velmora.frc;

/**
 * The driver's simulated driver station: the program switches it between enabled and disabled
 * from its own code. The driver keeps one for the whole program.
 *
 * <p><b>Lifetime.</b> Constructing creates the station; {@link #close()} destroys it, and every
 * later call throws {@link IllegalStateException}. The station is one for the whole program, so
 * an object the program drops is not destroyed for it (see {@link Adexa}).
 *
 * <p><b>Threads.</b> The library takes no locks: command the station from one thread at a time.
 * {@code close()} alone may come from any thread at any time: the station is destroyed exactly
 * once, and a call racing the close either finishes before it or throws
 * {@link IllegalStateException}.
 */
public final class MockDS implements AutoCloseable {
  private final Lifetime m_life = Lifetime.untracked("MockDS", VelmoraJNI::mockDSDestroy);

  /** Creates the simulated driver station. */
  public MockDS() {
    VelmoraJNI.load();
    VelmoraJNI.mockDSCreate();
  }

  /**
   * Destroys the simulated driver station. Once it is destroyed (a call of another thread in
   * progress finishes first), this returns; a second call does nothing.
   */
  @Override
  public void close() {
    m_life.close();
  }

  /**
   * Enables the station (every call is sent; repeats are not skipped).
   *
   * @throws IllegalStateException if the station is closed
   */
  public void enable() {
    m_life.enter();
    try {
      VelmoraJNI.mockDSEnable();
    } finally {
      m_life.exit();
    }
  }

  /**
   * Disables the station.
   *
   * @throws IllegalStateException if the station is closed
   */
  public void disable() {
    m_life.enter();
    try {
      VelmoraJNI.mockDSDisable();
    } finally {
      m_life.exit();
    }
  }
}
