[playlist]
File1=file:///home/ana/Music/100% pure.mp3
Title1=100% pure
File2=file:///home/ana/Music/Sigur%20R%C3%B3s/Takk/03%20Gl%C3%B3s%C3%B3li.mp3
File3=http://ice1.somafm.com/groovesalad-128-mp3
NumberOfEntries=3
Version=2
