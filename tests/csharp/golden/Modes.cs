
//## begin Modes%Q-Modes.suses preserve=yes
//## end Modes%Q-Modes.suses
namespace Core
{  
    //## begin Mode%Q-Mode.preface preserve=yes
    //## end Mode%Q-Mode.preface
    /// <summary>
    /// Modes.
    /// </summary>
    internal enum Mode 
    {
      Fast = 1,
      Slow
    }
    //## begin Mode%Q-Mode.postscript preserve=yes
    //## end Mode%Q-Mode.postscript
  
}

  //## begin Empty%Q-Empty.preface preserve=yes
  //## end Empty%Q-Empty.preface
  public enum Empty 
  {
  }
  //## begin Empty%Q-Empty.postscript preserve=yes
  //## end Empty%Q-Empty.postscript

